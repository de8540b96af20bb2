// Key mode on a POSIX terminal: canonical input and echo off, one byte at a
// time. Signals still come from the keyboard (Ctrl-C, Ctrl-Z).
#include <csignal>
#include <cstdlib>
#include <termios.h>
#include <unistd.h>

#include "keyboard.h"

namespace zaviplay {

namespace {

termios gSaved;
termios gKeys;
volatile std::sig_atomic_t gInKeyMode = 0;
// From EnterKeyMode to RestoreTerminal: a stopped program that goes on
// takes its keys back.
volatile std::sig_atomic_t gWanted = 0;

constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGABRT, SIGSEGV, SIGBUS, SIGFPE, SIGILL};

// Only async-signal-safe calls from here on.
void SetKeys()
{
    if (tcsetattr(STDIN_FILENO, TCSANOW, &gKeys) == 0) gInKeyMode = 1;
}

void Restore()
{
    if (gInKeyMode == 0) return;
    tcsetattr(STDIN_FILENO, TCSANOW, &gSaved);
    gInKeyMode = 0;
}

// The terminal comes back, then the signal does what it does by default.
void OnEndingSignal(int signal)
{
    Restore();
    std::signal(signal, SIG_DFL);
    raise(signal);
}

void OnStop(int)
{
    Restore();
    std::signal(SIGTSTP, SIG_DFL);
    raise(SIGTSTP);
}

void OnContinue(int)
{
    std::signal(SIGTSTP, OnStop);
    if (gWanted != 0) SetKeys();
}

} // namespace

bool EnterKeyMode()
{
    if (isatty(STDIN_FILENO) == 0 || tcgetattr(STDIN_FILENO, &gSaved) != 0) return false;
    gKeys = gSaved;
    gKeys.c_lflag &= ~tcflag_t(ICANON | ECHO);
    gKeys.c_cc[VMIN] = 1;
    gKeys.c_cc[VTIME] = 0;
    std::atexit(RestoreTerminal);
    for (int signal : kEndingSignals) std::signal(signal, OnEndingSignal);
    std::signal(SIGTSTP, OnStop);
    std::signal(SIGCONT, OnContinue);
    gWanted = 1;
    SetKeys();
    return gInKeyMode != 0;
}

int ReadKey()
{
    unsigned char key = 0;
    return read(STDIN_FILENO, &key, 1) == 1 ? key : kNoMoreKeys;
}

void RestoreTerminal()
{
    gWanted = 0;
    Restore();
}

} // namespace zaviplay
