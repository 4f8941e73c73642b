// Replays a corpus without libFuzzer: each file named, and each file in each folder named, is given to
// the target once. A fault found once by fuzzing stays caught by the tests, built with any compiler.
#include "fuzzcheck.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

void replay(const std::filesystem::path& file, int& count)
{
    std::ifstream in(file, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    ++count;
}

} // namespace

int main(int argc, char** argv)
{
    int count = 0;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path path(argv[i]);
        if (!std::filesystem::is_directory(path)) {
            replay(path, count);
            continue;
        }
        for (const auto& entry : std::filesystem::directory_iterator(path)) {
            if (entry.is_regular_file())
                replay(entry.path(), count);
        }
    }
    std::printf("replayed %d inputs\n", count);
    return count > 0 ? 0 : 1; // an empty or missing corpus is a fault of its own
}
