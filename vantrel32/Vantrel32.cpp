#include "Vantrel32.h"

#include "ExportGuard.h"

#include <cstring>

namespace {

using quillon::link::Guarded;
using quillon::link::Lib;

} // namespace

extern "C" {

uint32_t VantrelCreate(void) {
    return Guarded(uint32_t{0}, [] { return Lib().Create(); });
}

void VantrelDestroy(void) {
    Guarded([] { Lib().Destroy(); });
}

void SetComPort(int32_t comPort) {
    Guarded([comPort] { Lib().SetComPort(comPort); });
}

uint16_t GetComPort(void) {
    return Guarded(uint16_t{0}, [] { return static_cast<uint16_t>(Lib().ComPort()); });
}

void SetTimeOut(uint16_t milliseconds) {
    Guarded([milliseconds] { Lib().SetTimeOut(milliseconds); });
}

uint16_t GetTimeOut(void) {
    return Guarded(uint16_t{0}, [] { return Lib().TimeOut(); });
}

void Connect(uint8_t open) {
    Guarded([open] { Lib().Connect(open != 0); });
}

uint8_t IsConnected(void) {
    return Guarded(uint8_t{0}, [] { return static_cast<uint8_t>(Lib().IsConnected() ? 1 : 0); });
}

uint8_t WriteI2CRegs(const uint8_t* data, int32_t lastIndex, uint8_t intType) {
    return Guarded(uint8_t{VANTREL_STATUS_INVALID},
                   [=] { return Lib().WriteRegs(data, lastIndex, intType); });
}

void GetI2CData(uint8_t* data) {
    if (data == nullptr) {
        return;
    }
    Guarded([data] { Lib().TakeMasterData(data); });
}

uint8_t ReadSlvAdr(void) {
    return Guarded(uint8_t{VANTREL_STATUS_PORT_CLOSED}, [] { return Lib().ReadAddress(); });
}

uint8_t ChangeSlvAdr(uint8_t slaveAddress) {
    return Guarded(uint8_t{VANTREL_STATUS_PORT_CLOSED},
                   [slaveAddress] { return Lib().ChangeAddress(slaveAddress); });
}

uint8_t SaveSlvAdr(void) {
    return Guarded(uint8_t{VANTREL_STATUS_PORT_CLOSED}, [] { return Lib().SaveAddress(); });
}

const char* GetVersion(void) {
    return Guarded(static_cast<const char*>(""), [] { return Lib().Version(); });
}

} // extern "C"
