// Standard input read key by key when it is a terminal (the console's
// line editing and echo off), rather than line by line.
#pragma once

namespace zaviplay {

constexpr int kNoMoreKeys = -1;

// Turns key mode on when standard input is a terminal; false otherwise (a
// pipe or a file: read it line by line). The terminal's settings come back
// at RestoreTerminal, at exit and on the signals that end or stop the
// program (and key mode returns when a stopped program goes on).
bool EnterKeyMode();
// Waits for the next key; kNoMoreKeys once input has ended.
int ReadKey();
void RestoreTerminal();

} // namespace zaviplay
