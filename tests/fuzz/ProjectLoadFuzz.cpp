// libFuzzer target: any bytes loaded as a project file either load or fail
// cleanly. A project that loads must save and load again with the same
// number of variations.
#include "profiler/LibArvilo.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

std::string ScratchName(const char *tag)
{
    return "/tmp/arvilo-fuzz-" + std::to_string(getpid()) + "-" + tag + ".Arv";
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *Data, std::size_t Size)
{
    const std::string input = ScratchName("in");
    if (FILE *f = std::fopen(input.c_str(), "wb")) {
        std::fwrite(Data, 1, Size, f);
        std::fclose(f);
    } else {
        return 0;
    }
    auto project = std::make_unique<TArvilo>(nullptr);
    const bool loaded = project->LoadFromFile(input);
    std::remove(input.c_str());
    if (!loaded)
        return 0;

    const std::string again = ScratchName("again");
    if (!project->SaveToFile(again))
        std::abort();
    auto reloaded = std::make_unique<TArvilo>(nullptr);
    if (!reloaded->LoadFromFile(again) || reloaded->Count != project->Count)
        std::abort();
    std::remove(again.c_str());
    return 0;
}
