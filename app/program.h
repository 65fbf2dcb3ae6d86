// The frame of the program: start-up, the message loop and the end.
#pragma once

// Loads and creates MainWindow, runs the message loop until the window is closed, returns 0.
int runProgram();
