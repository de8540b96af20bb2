// Key mode on a Windows console: line input and echo off, one character at
// a time. Ctrl-C still ends the program, after the console's mode is back.
#include <windows.h>

#include <cstdlib>

#include "keyboard.h"

namespace zaviplay {

namespace {

DWORD gSaved = 0;
volatile LONG gInKeyMode = 0;

BOOL WINAPI OnConsoleEvent(DWORD)
{
    RestoreTerminal();
    return FALSE; // then the default handling ends the program
}

} // namespace

bool EnterKeyMode()
{
    const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    if (GetConsoleMode(input, &gSaved) == 0) return false;
    if (SetConsoleMode(input, gSaved & ~DWORD(ENABLE_LINE_INPUT | ENABLE_ECHO_INPUT)) == 0) return false;
    InterlockedExchange(&gInKeyMode, 1);
    std::atexit(RestoreTerminal);
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
    return true;
}

int ReadKey()
{
    char key = 0;
    DWORD read = 0;
    return ReadConsoleA(GetStdHandle(STD_INPUT_HANDLE), &key, 1, &read, nullptr) && read == 1
               ? static_cast<unsigned char>(key)
               : kNoMoreKeys;
}

void RestoreTerminal()
{
    if (InterlockedExchange(&gInKeyMode, 0) != 0) SetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), gSaved);
}

} // namespace zaviplay
