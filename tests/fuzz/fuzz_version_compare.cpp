// Version comparison: up to three version texts (separated by line breaks) are ordered
// consistently (reflexive, antisymmetric, transitive), and a version's own text reads back as
// the same version.
#include "FuzzSupport.h"

#include "ui/VersionNumber.h"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QList<QByteArray> texts = fuzzBytes(data, size).split('\n');
    const auto sign = [](int value) { return (value > 0) - (value < 0); };
    std::vector<VersionNumber> versions;
    for (const QByteArray& text : texts.mid(0, 3)) {
        const std::optional<VersionNumber> version = VersionNumber::parse(QString::fromUtf8(text));
        if (!version)
            continue;
        FUZZ_CHECK(VersionNumber::compare(*version, *version) == 0);
        const std::optional<VersionNumber> reread = VersionNumber::parse(version->toString());
        FUZZ_CHECK(reread.has_value());
        FUZZ_CHECK(reread->components() == version->components());
        FUZZ_CHECK(reread->preRelease() == version->preRelease());
        FUZZ_CHECK(reread->toString() == version->toString());
        versions.push_back(*version);
    }
    for (const VersionNumber& a : versions) {
        for (const VersionNumber& b : versions) {
            const int ab = sign(VersionNumber::compare(a, b));
            FUZZ_CHECK(ab == -sign(VersionNumber::compare(b, a)));
            for (const VersionNumber& c : versions) {
                const int bc = sign(VersionNumber::compare(b, c));
                if (ab <= 0 && bc <= 0)
                    FUZZ_CHECK(VersionNumber::compare(a, c) <= 0);
            }
        }
    }
    return 0;
}
