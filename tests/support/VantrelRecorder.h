#pragma once

#include "vantrel32/Vantrel32.h"

#include <chrono>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

// A stand-in for the adapter library's 14 exports, linked into tests instead of the real
// library: it records every call and answers what the test scripted.
namespace recorder {

struct Call {
    std::string name;
    std::vector<int64_t> args; // scalar arguments in order
    std::vector<uint8_t> data; // WriteI2CRegs: the bytes it was given
    std::chrono::steady_clock::time_point at = std::chrono::steady_clock::now();
};

struct Script {
    uint32_t messageNumber = 0; // 0: register one with the application window
    uint16_t comPort = 1;       // what GetComPort answers; SetComPort stores here
    uint16_t timeOut = 1500;
    uint8_t connected = 0;            // what IsConnected answers
    uint8_t status = 0;               // command status of the four commands
    std::deque<uint8_t> nextStatuses; // answered first, one per command, before `status`
    uint8_t i2cData[VANTREL_I2C_DATA_SIZE] = {};
    std::string version = "Recorder 1.0";
};

Script& State();
std::vector<Call>& Calls();
void Reset();

// Calls with this name, in order.
std::vector<Call> CallsNamed(const std::string& name);
int CountOf(const std::string& name);

// Posts a library notification to the application window and delivers it, as the real
// library's would arrive.
void Notify(uintptr_t code, intptr_t arg = 0);

// The names of all calls in order, e.g. "SetComPort(1) IsConnected() Connect(1)".
std::string Trace();

} // namespace recorder
