# The two commands of the README:
#   make run   installs what is missing, builds, starts the desktop program on the simulated board
#   make test  installs what is missing, checks the layout of the sources (clang-format), builds, runs every
#              test; then the Debian package test (as root), the Qt-free tests again under ASan + UBSan, the
#              worker-thread tests under ThreadSanitizer, then each fuzz target for FUZZ_SECONDS
JOBS ?= $(shell nproc)
# Tests never read the developer's device table or touch the boards' image files: an empty
# LNKUTIL_DEVICES is the built-in table, an empty LNKUTIL_DATA_DIR keeps memories in-process.
# The simulated Flash takes a hundredth of a real part's time (the built-in table, `make run`,
# keeps real times).
TEST_ENV = QT_QPA_PLATFORM=offscreen LNKUTIL_DEVICES= LNKUTIL_DATA_DIR= LNKUTIL_SIM_TIME_SCALE=0.01
BUILD ?= build
ASAN_BUILD ?= build-asan
TSAN_BUILD ?= build-tsan
# ccache, where the machine has it, makes rebuilds in several work trees cheap.
LAUNCHER := $(if $(shell command -v ccache),-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)

.PHONY: deps build run test test-format test-release test-asan test-tsan test-fuzz test-package bench format clean

deps:
	@scripts/install-deps.sh

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSARY_REQUIRE_VERILATOR=ON $(LAUNCHER) >/dev/null
	cmake --build $(BUILD) -j $(JOBS)

run: build
	@scripts/run-gui.sh $(BUILD)/bin/tessary

# FUZZ_SECONDS per libFuzzer target (tests/fuzz), when clang is installed.
FUZZ_SECONDS ?= 15

test: test-format test-release test-package test-asan test-tsan test-fuzz

# First and cheap: every C/C++ file as clang-format writes it (`make format` rewrites them).
test-format: deps
	scripts/check-format.sh

test-release: build
	cd $(BUILD) && $(TEST_ENV) ctest --output-on-failure -j $(JOBS) -LE package

# The Debian package: built, checked with lintian, installed with dpkg, used, purged (as root; skipped
# otherwise, and where a tessary package is installed already).
test-package: build
	cd $(BUILD) && $(TEST_ENV) ctest --output-on-failure -L package

test-asan: deps
	cmake -S . -B $(ASAN_BUILD) $(LAUNCHER) -DCMAKE_BUILD_TYPE=Debug -DTESSARY_SANITIZE=ON -DTESSARY_BENCH=OFF -DTESSARY_GUI=OFF >/dev/null
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && $(TEST_ENV) ctest --output-on-failure -j $(JOBS)

# The worker thread and the window's thread together under ThreadSanitizer: only the tests of the
# operation runner and its relay are built. Qt is not built with ThreadSanitizer; the
# suppressions name Qt's libraries only (see the file).
TSAN_TESTS = worker_thread_gui_tests
test-tsan: deps
	cmake -S . -B $(TSAN_BUILD) $(LAUNCHER) -DCMAKE_BUILD_TYPE=Debug -DTESSARY_TSAN=ON -DTESSARY_BENCH=OFF >/dev/null
	cmake --build $(TSAN_BUILD) -j $(JOBS) --target $(TSAN_TESTS)
	cd $(TSAN_BUILD) && TSAN_OPTIONS="halt_on_error=1 suppressions=$(CURDIR)/tests/gui/tsan.supp" $(TEST_ENV) \
		ctest --output-on-failure -j $(JOBS) -R '^(OperationRunnerTest|LongWorkTest)\.'

test-fuzz: deps
	FUZZ_JOBS=$(JOBS) scripts/fuzz.sh $(FUZZ_SECONDS)

bench: build
	scripts/run-benchmarks.sh $(BUILD)

format:
	find src tests bench res -name '*.cpp' -o -name '*.h' -o -name '*.c' | xargs clang-format -i

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(TSAN_BUILD) build-fuzz
