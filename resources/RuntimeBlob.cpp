// Embeds the runtime executable, exactly as it was built, and registers it as the
// resource HEAD of type EXEFILE.
#include "platform/Resources.h"

#ifndef NUVIRA_RUNTIME_PATH
#error "NUVIRA_RUNTIME_PATH must name the runtime executable"
#endif

asm(".section .rodata.nuvira_runtime,\"a\",@progbits\n"
    ".balign 16\n"
    ".hidden nuvira_runtime_start\n"
    ".global nuvira_runtime_start\n"
    "nuvira_runtime_start:\n"
    ".incbin \"" NUVIRA_RUNTIME_PATH "\"\n"
    ".hidden nuvira_runtime_end\n"
    ".global nuvira_runtime_end\n"
    "nuvira_runtime_end:\n"
    ".previous\n");

extern "C" const unsigned char nuvira_runtime_start[];
extern "C" const unsigned char nuvira_runtime_end[];

namespace {
const bool registered = Resources::add("EXEFILE", "HEAD", nuvira_runtime_start,
                                       std::size_t(nuvira_runtime_end - nuvira_runtime_start));
}
