// colsplit-cli on Linux with glibc: the allocator's memory on transparent
// huge pages.
#pragma once

namespace colsplit::cli {

// A split touches some hundred megabytes of fresh memory; on 4 KiB pages a
// tenth of its time goes to page faults. glibc backs its heaps with huge
// pages (where the system hands them out on request) only when the
// environment asks for it as the program starts, so the program starts
// itself again once with that setting. Nothing happens when the user has
// set GLIBC_TUNABLES (the user's choice stands), after the restart, or when
// the restart fails (the run goes on as it is). Elsewhere it does nothing.
void restart_on_huge_pages(char** argv);

}  // namespace colsplit::cli
