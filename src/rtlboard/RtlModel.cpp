#include "RtlModel.h"

#include "Vtsy_core.h"
#include "verilated.h"

namespace tessary::rtl {

struct RtlModel::Parts {
    Parts(std::span<uint8_t> memory, board::Flash& flash, const FlashTiming& timing)
        : ram(memory), bus(flash, timing) {}
    VerilatedContext context;
    std::unique_ptr<Vtsy_core> core;
    std::span<uint8_t> ram;
    FlashBus bus;
};

RtlModel::RtlModel(const RtlSettings& settings, std::span<uint8_t> ram, board::Flash& flash,
                   const FlashTiming& timing)
    : parts_(std::make_unique<Parts>(ram, flash, timing)) {
    parts_->core = std::make_unique<Vtsy_core>(&parts_->context);
    Vtsy_core& core = *parts_->core;
    core.baud_div = static_cast<uint16_t>(settings.baudDivisor);
    core.reg_base = settings.registerBase;
    core.fast = settings.fast ? 1 : 0;
    core.flash_bytes = settings.announcedFlashSize;
    core.uart_rx = 1;
    core.flash_dq_i = 0xFF;
    core.rst = 1;
    for (int i = 0; i < 4; ++i) {
        Cycle(true);
    }
    core.rst = 0;
}

RtlModel::~RtlModel() {
    parts_->core->final();
}

bool RtlModel::Cycle(bool rxPin) {
    Vtsy_core& core = *parts_->core;
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
    FlashPins pins;
    pins.address = core.flash_addr & 0xFFFFFF;
    pins.ceN = core.flash_ce_n != 0;
    pins.oeN = core.flash_oe_n != 0;
    pins.weN = core.flash_we_n != 0;
    pins.dataOut = core.flash_dq_o;
    core.flash_dq_i = parts_->bus.Update(pins);
    core.clk = 0;
    core.eval();
    ++cycles_;
    return core.uart_tx != 0;
}

bool RtlModel::Idle() const {
    return parts_->core->idle != 0;
}

uint64_t RtlModel::FlashBusyCycles() const {
    return parts_->bus.BusyCyclesLeft();
}

void RtlModel::PassFlashTime(uint64_t cycles) {
    parts_->bus.Pass(cycles);
}

} // namespace tessary::rtl
