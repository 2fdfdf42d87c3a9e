// Runs every file of the given corpus folders (or single files) through a fuzz target once, so
// the ordinary build replays the seeds and every crash found so far as a regression test.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

int replayFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", path.c_str());
        return 1;
    }
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // An exact-size heap copy, so the sanitizers see any read past the input.
    auto* copy = new std::uint8_t[bytes.size() + 1];
    std::copy(bytes.begin(), bytes.end(), copy);
    LLVMFuzzerTestOneInput(copy, bytes.size());
    delete[] copy;
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    int replayed = 0;
    int errors = 0;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path root(argv[i]);
        if (std::filesystem::is_directory(root)) {
            for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
                if (entry.is_regular_file()) {
                    errors += replayFile(entry.path());
                    ++replayed;
                }
            }
        } else {
            errors += replayFile(root);
            ++replayed;
        }
    }
    std::printf("%d inputs replayed\n", replayed);
    return errors == 0 && replayed > 0 ? 0 : 1;
}
