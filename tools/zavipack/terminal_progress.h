// zavipack's progress line for long inputs: shown on standard error, and
// only when that is a terminal, so logs and pipes get the summary alone.
#pragma once

namespace zavi::pack {

class TerminalProgress {
public:
    TerminalProgress();
    ~TerminalProgress();
    TerminalProgress(const TerminalProgress &) = delete;
    TerminalProgress &operator=(const TerminalProgress &) = delete;

    // Seconds packed of `total` (0: not known).
    void update(double packed, double total);

private:
    bool shown_;        // a terminal, and the input is long enough to need it
    bool drawn_ = false;
    int lastSecond_ = -1;
};

} // namespace zavi::pack
