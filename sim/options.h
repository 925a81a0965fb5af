// What the simulated analyzer does, and which faults it injects.
#pragma once

#include <cstdint>
#include <string>

namespace tavrin::sim {

struct Options {
    int port = 1;                 // registered as COMn
    bool pace = true;             // send at the speed of a 57600-baud line
    bool echo = true;             // echo every byte of a setting frame or text command
    bool silent = false;          // answer nothing at all
    int corruptEvery = 0;         // every Nth trace block carries a wrong checksum
    int badPointsEvery = 0;       // every Nth trace block has out-of-range points
    int shortEvery = 0;           // every Nth trace block is cut short
    int shortLength = 600;        // ... to this many bytes
    int disconnectAfter = 0;      // hang up after this many trace blocks
    int silentAfter = 0;          // answer nothing at all after this many trace blocks
    int hangupAfter = 0;          // hang up after this many trace blocks ...
    double returnAfter = -1;      // ... and come back on a fresh line (or, after silentAfter,
                                  // answer again) this many seconds later
    double appearAfter = 0;       // register the line only this many seconds after start
    double movingCarrier = 0;     // MHz/s of a carrier moving across the screen; 0 for none
    double intermittentOn = 0;    // seconds a carrier is there ...; 0 for none
    double intermittentOff = 0;   // ... and then away
    std::string logPath;          // log of the bytes received
    std::string serial = "12345"; // five characters sent for the serial-number query
    uint32_t seed = 1;            // noise of the trace
};

// Parses the command line; false with a message in error for bad options.
bool ParseOptions(int argc, char **argv, Options &options, bool &help, std::string &error);
const char *UsageText();

}  // namespace tavrin::sim
