#include "Vantrel.h"

#include "vantrel32/Vantrel32.h"

#include <vector>

TVantrel::TVantrel(QObject* owner, bool designing) : QObject(owner) {
    messageNumber_ = VantrelCreate();
    hooked_ = false;
    if (!designing) {
        quillon::platform::TApplicationWindow::Instance().HookMainWindow(this);
        hooked_ = true;
    }
}

TVantrel::~TVantrel() {
    VantrelDestroy();
    if (hooked_) {
        quillon::platform::TApplicationWindow::Instance().UnhookMainWindow(this);
    }
}

int32_t TVantrel::Comport() const {
    return static_cast<int32_t>(GetComPort());
}

void TVantrel::setComport(int32_t value) {
    SetComPort(value);
}

uint16_t TVantrel::TimeOut() const {
    return GetTimeOut();
}

void TVantrel::setTimeOut(int value) {
    SetTimeOut(static_cast<uint16_t>(value));
}

void TVantrel::Connect(bool open) {
    ::Connect(open ? 1 : 0);
}

bool TVantrel::IsConnected() {
    return ::IsConnected() != 0;
}

uint8_t TVantrel::WriteI2CRegs(std::span<const uint8_t> data, uint8_t IntType) {
    // The library only borrows the bytes for the call.
    std::vector<uint8_t> copy(data.begin(), data.end());
    return ::WriteI2CRegs(copy.data(), static_cast<int32_t>(copy.size()) - 1, IntType);
}

uint8_t TVantrel::ReadSlvAdr() {
    return ::ReadSlvAdr();
}

uint8_t TVantrel::ChangeSlvAdr(uint8_t slaveAddress) {
    return ::ChangeSlvAdr(slaveAddress);
}

uint8_t TVantrel::SaveSlvAdr() {
    return ::SaveSlvAdr();
}

bool TVantrel::HookMessage(quillon::platform::TMessage& msg) {
    if (msg.Msg != messageNumber_) {
        return false;
    }
    DispatchCMD(static_cast<uint32_t>(msg.WParam), msg.LParam);
    return true;
}

void TVantrel::DispatchCMD(uint32_t code, intptr_t arg) {
    switch (code) {
    case VANTREL_NOTIFY_TIMEOUT:
        if (OnTimeOut) {
            OnTimeOut(this);
        }
        break;
    case VANTREL_NOTIFY_OPENED:
        if (OnOpen) {
            OnOpen(this, static_cast<uint8_t>(Comport() & 0xFF));
        }
        break;
    case VANTREL_NOTIFY_CLOSED:
        if (OnClose) {
            OnClose(this);
        }
        break;
    case VANTREL_NOTIFY_ADDRESS_READ:
        if (OnSlvAdrRead) {
            OnSlvAdrRead(this, static_cast<uint8_t>(arg & 0xFF));
        }
        break;
    case VANTREL_NOTIFY_ADDRESS_CHANGED:
        if (OnSlvAdrOP) {
            OnSlvAdrOP(this, saChanged);
        }
        break;
    case VANTREL_NOTIFY_MASTER_DATA: {
        TI2CData fetched{};
        GetI2CData(fetched.data());
        receivedData_ = fetched;
        if (OnI2CDataAvail) {
            OnI2CDataAvail(this, receivedData_);
        }
        break;
    }
    case VANTREL_NOTIFY_ADDRESS_SAVED:
        if (OnSlvAdrOP) {
            OnSlvAdrOP(this, saSaved);
        }
        break;
    case VANTREL_NOTIFY_VERSION:
        if (OnGetVersion) {
            OnGetVersion(this, GetVersion());
        }
        break;
    case VANTREL_NOTIFY_WRITTEN:
    case VANTREL_NOTIFY_WRITTEN_INT1:
    case VANTREL_NOTIFY_WRITTEN_INT2:
        // The code counts up from 'w' with the interrupt type that was written.
        if (OnWriteI2CRegs) {
            OnWriteI2CRegs(this, static_cast<uint8_t>(code - VANTREL_NOTIFY_WRITTEN));
        }
        break;
    default:
        break;
    }
}
