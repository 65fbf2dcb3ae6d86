// The frame of the program: start-up, the message loop, and the end, which always runs on
// the main thread, with exit code 0 after the loop or -1 after a fatal error.
#pragma once

#include <cstdint>
#include <span>

#include "ui/form_description.h"

// Initialises the main thread, loads MainWindow, registers releaseGlobals, creates and shows
// the window and runs the message loop until it is closed; returns 0. A description that
// cannot be loaded or a window that cannot be created ends the program through the error
// box ("载入启动窗口失败"). Needs the window system started.
int32_t runProgram();

// runProgram with another description and handler table.
int32_t runProgramFrom(const FormDescription& description, std::span<const NamedHandler> handlers);

// The end of the program, on the main thread: drops the description, runs the exit routines,
// tells the thread service, stops the window system and ends the process. Never returns.
[[noreturn]] void endProgram(int32_t exitCode);

// True once endProgram has begun.
bool programEnding();
