#include "VantrelRecorder.h"

#include "platform/core/ApplicationWindow.h"
#include "vantrel32/Vantrel32.h"

#include <QCoreApplication>

#include <cstring>
#include <sstream>

namespace recorder {

namespace {
Script gState;
std::vector<Call> gCalls;

uint8_t CommandStatus() {
    if (!gState.nextStatuses.empty()) {
        const uint8_t s = gState.nextStatuses.front();
        gState.nextStatuses.pop_front();
        return s;
    }
    return gState.status;
}

void Record(const char* name, std::vector<int64_t> args = {}, std::vector<uint8_t> data = {}) {
    gCalls.push_back(Call{name, std::move(args), std::move(data)});
}
} // namespace

Script& State() {
    return gState;
}
std::vector<Call>& Calls() {
    return gCalls;
}

void Reset() {
    gState = Script{};
    gCalls.clear();
}

std::vector<Call> CallsNamed(const std::string& name) {
    std::vector<Call> out;
    for (const Call& c : gCalls) {
        if (c.name == name) {
            out.push_back(c);
        }
    }
    return out;
}

int CountOf(const std::string& name) {
    return static_cast<int>(CallsNamed(name).size());
}

void Notify(uintptr_t code, intptr_t arg) {
    quillon::platform::TApplicationWindow::PostMessage(gState.messageNumber, code, arg);
    QCoreApplication::sendPostedEvents();
}

std::string Trace() {
    std::ostringstream out;
    for (std::size_t i = 0; i < gCalls.size(); ++i) {
        out << (i ? " " : "") << gCalls[i].name << '(';
        for (std::size_t a = 0; a < gCalls[i].args.size(); ++a) {
            out << (a ? "," : "") << gCalls[i].args[a];
        }
        out << ')';
    }
    return out.str();
}

} // namespace recorder

using recorder::CommandStatus;
using recorder::gState;
using recorder::Record;

extern "C" {

uint32_t VantrelCreate(void) {
    Record("VantrelCreate");
    if (gState.messageNumber == 0) {
        gState.messageNumber =
            quillon::platform::TApplicationWindow::Instance().RegisterWindowMessage("Vantrel32.Notify");
    }
    return gState.messageNumber;
}
void VantrelDestroy(void) {
    Record("VantrelDestroy");
}
void SetComPort(int32_t comPort) {
    Record("SetComPort", {comPort});
    gState.comPort = static_cast<uint16_t>(comPort);
}
uint16_t GetComPort(void) {
    Record("GetComPort");
    return gState.comPort;
}
void SetTimeOut(uint16_t ms) {
    Record("SetTimeOut", {ms});
    gState.timeOut = ms;
}
uint16_t GetTimeOut(void) {
    Record("GetTimeOut");
    return gState.timeOut;
}
void Connect(uint8_t open) {
    Record("Connect", {open});
}
uint8_t IsConnected(void) {
    Record("IsConnected");
    return gState.connected;
}
uint8_t WriteI2CRegs(const uint8_t* data, int32_t lastIndex, uint8_t intType) {
    std::vector<uint8_t> bytes;
    if (data && lastIndex >= 0) {
        bytes.assign(data, data + lastIndex + 1);
    }
    Record("WriteI2CRegs", {lastIndex, intType}, bytes);
    return CommandStatus();
}
void GetI2CData(uint8_t* data) {
    Record("GetI2CData");
    std::memcpy(data, gState.i2cData, sizeof gState.i2cData);
}
uint8_t ReadSlvAdr(void) {
    Record("ReadSlvAdr");
    return CommandStatus();
}
uint8_t ChangeSlvAdr(uint8_t adr) {
    Record("ChangeSlvAdr", {adr});
    return CommandStatus();
}
uint8_t SaveSlvAdr(void) {
    Record("SaveSlvAdr");
    return CommandStatus();
}
const char* GetVersion(void) {
    Record("GetVersion");
    return gState.version.c_str();
}
}
