// A worker thread that runs one member function of its owner.
#pragma once

#include "engine/zavi_thread.h"

namespace zavi::reverse {

template <typename Owner>
class MemberThread final : public ZAVIThread {
public:
    using Work = void (Owner::*)(kernel::Event &stopEvent);
    MemberThread(Owner &owner, Work work) : owner_(owner), work_(work) {}
    ~MemberThread() override { Stop(); }

protected:
    uint32_t Body(kernel::Event &stopEvent) override
    {
        (owner_.*work_)(stopEvent);
        return 0;
    }

private:
    Owner &owner_;
    Work work_;
};

} // namespace zavi::reverse
