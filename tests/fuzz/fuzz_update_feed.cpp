// The update feed's answer: any bytes give a release or a reason; a release always carries a
// version read from its tag and an https page with a host, the only kind the updater opens; a
// reason quotes no more of the answer than a person can read.
#include "FuzzSupport.h"

#include "ui/UpdateRelease.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    QString problem;
    const std::optional<UpdateRelease> release =
        UpdateRelease::fromJson(fuzzBytes(data, size), &problem);
    if (!release) {
        FUZZ_CHECK(!problem.isEmpty() && problem.size() <= 400);
        return 0;
    }
    FUZZ_CHECK(release->tagName().size() <= UpdateRelease::maximumTagLength);
    FUZZ_CHECK(release->pageUrl().isValid());
    FUZZ_CHECK(release->pageUrl().scheme().toLower() == u"https");
    FUZZ_CHECK(!release->pageUrl().host().isEmpty());
    const std::optional<VersionNumber> version = VersionNumber::parse(release->tagName());
    FUZZ_CHECK(version.has_value() && VersionNumber::compare(*version, release->version()) == 0);
    return 0;
}
