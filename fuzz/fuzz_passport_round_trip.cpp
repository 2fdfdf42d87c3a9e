// Every passport the editor writes, it opens: the property test's promise over states the fuzzer
// draws through the same controls and section rules.

#include "FuzzCheck.h"
#include "support/ReachablePassports.h"

#include <cstdint>
#include <cstdio>

namespace {

// The fuzzer's bytes as the choices a user makes; past the end every choice is the first.
class ByteChoices
{
public:
    ByteChoices(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}

    int below(int bound)
    {
        if (bound <= 1)
            return 0;
        const int wide = (next() << 8) | next();
        return wide % bound;
    }

private:
    int next() { return m_pos < m_size ? m_data[m_pos++] : 0; }

    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > 1 << 16)
        return 0;
    ByteChoices choose(data, size);
    const PassportSnapshot passport = ReachablePassports::passport(choose);
    const qint64 stored = choose.below(1 << 16) * 65536LL + choose.below(1 << 16);
    for (PassportDocumentKind kind : {PassportDocumentKind::Preview, PassportDocumentKind::Saved}) {
        if (kind == PassportDocumentKind::Saved && !ReachablePassports::maySave(passport))
            continue;
        const QString broken = ReachablePassports::brokenPromise(passport, kind, stored);
        if (!broken.isEmpty())
            std::fprintf(stderr, "%s\n", broken.toUtf8().constData());
        FUZZ_CHECK(broken.isEmpty());
    }
    return 0;
}
