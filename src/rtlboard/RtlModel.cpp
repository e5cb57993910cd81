#include "RtlModel.h"

#include "Vtsy_core.h"
#include "Vtsy_core_spi.h"
#include "verilated.h"

#include <optional>

namespace tessary::rtl {

struct RtlModel::Parts {
    explicit Parts(std::span<uint8_t> memory) : ram(memory) {}
    VerilatedContext context;
    std::unique_ptr<Vtsy_core> parallel;
    std::unique_ptr<Vtsy_core_spi> spi;
    std::span<uint8_t> ram;
    std::optional<FlashBus> bus;
    SpiNor* chip = nullptr;
};

RtlModel::RtlModel(const RtlSettings& settings, std::span<uint8_t> ram, board::Flash& flash,
                   const FlashTiming& timing)
    : parts_(std::make_unique<Parts>(ram)) {
    parts_->bus.emplace(flash, timing);
    parts_->parallel = std::make_unique<Vtsy_core>(&parts_->context);
    Start(*parts_->parallel, settings);
}

RtlModel::RtlModel(const RtlSettings& settings, std::span<uint8_t> ram, SpiNor& chip)
    : parts_(std::make_unique<Parts>(ram)) {
    parts_->chip = &chip;
    parts_->spi = std::make_unique<Vtsy_core_spi>(&parts_->context);
    Start(*parts_->spi, settings);
}

RtlModel::~RtlModel() {
    if (parts_->parallel) {
        parts_->parallel->final();
    } else {
        parts_->spi->final();
    }
}

template <class Core> void RtlModel::Start(Core& core, const RtlSettings& settings) {
    core.baud_div = static_cast<uint16_t>(settings.baudDivisor);
    core.reg_base = settings.registerBase;
    core.fast = settings.fast ? 1 : 0;
    core.flash_bytes = settings.announcedFlashSize;
    core.flash_offset = settings.flashOffset;
    core.top_boot = settings.topBoot ? 1 : 0;
    core.uart_rx = 1;
    core.flash_dq_i = 0xFF;
    core.spi_miso = 1;
    core.rst = 1;
    for (int i = 0; i < 4; ++i) {
        Step(core, true);
    }
    core.rst = 0;
}

bool RtlModel::Cycle(bool rxPin) {
    return parts_->parallel ? Step(*parts_->parallel, rxPin) : Step(*parts_->spi, rxPin);
}

template <class Core> bool RtlModel::Step(Core& core, bool rxPin) {
    core.uart_rx = rxPin ? 1 : 0;
    // What the controller drives during this cycle, taken by the RAM on the rising edge.
    const bool ramEnable = core.ram_en != 0;
    const bool ramWrite = core.ram_we != 0;
    const uint32_t ramAddress = core.ram_addr & 0xFFFFFF;
    const uint8_t ramData = core.ram_wdata;
    core.clk = 1;
    core.eval();
    if (ramEnable) {
        if (ramWrite) {
            parts_->ram[ramAddress] = ramData;
        } else {
            core.ram_rdata = parts_->ram[ramAddress];
        }
    }
    if (parts_->chip != nullptr) {
        SpiPins pins;
        pins.sck = core.spi_sck != 0;
        pins.csN = core.spi_cs_n != 0;
        pins.mosi = core.spi_mosi != 0;
        core.spi_miso = parts_->chip->Update(pins) ? 1 : 0;
    } else {
        FlashPins pins;
        pins.address = core.flash_addr & 0xFFFFFF;
        pins.ceN = core.flash_ce_n != 0;
        pins.oeN = core.flash_oe_n != 0;
        pins.weN = core.flash_we_n != 0;
        pins.dataOut = core.flash_dq_o;
        core.flash_dq_i = parts_->bus->Update(pins);
    }
    core.clk = 0;
    core.eval();
    ++cycles_;
    return core.uart_tx != 0;
}

bool RtlModel::Idle() const {
    return parts_->parallel ? parts_->parallel->idle != 0 : parts_->spi->idle != 0;
}

uint64_t RtlModel::FlashBusyCycles() const {
    return parts_->chip != nullptr ? parts_->chip->BusyCyclesLeft() : parts_->bus->BusyCyclesLeft();
}

void RtlModel::PassFlashTime(uint64_t cycles) {
    if (parts_->chip != nullptr) {
        parts_->chip->Pass(cycles);
    } else {
        parts_->bus->Pass(cycles);
    }
}

} // namespace tessary::rtl
