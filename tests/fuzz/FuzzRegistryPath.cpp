// The split of a full registry path stays inside the path and finds the
// first and the last backslash.
#include "FuzzInput.h"
#include "RegistryFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::u16string path = Units(data, size);
    path = path.c_str();  // the working copy ends at its first NUL
    if (path.size() > 1023) path.resize(1023);
    std::vector<char16_t> working(path.begin(), path.end());
    working.push_back(0);
    const RegistryPathParts<char16_t> parts = SplitRegistryPath(working.data());
    const std::u16string root(parts.root), subKey(parts.subKey), valueName(parts.valueName);
    FUZZ_CHECK(root.find(u'\\') == std::u16string::npos);
    FUZZ_CHECK(valueName.find(u'\\') == std::u16string::npos);
    const size_t first = path.find(u'\\');
    if (first == std::u16string::npos) {
        FUZZ_CHECK(root == path && subKey.empty() && valueName.empty());
    } else {
        FUZZ_CHECK(root == path.substr(0, first));
        const std::u16string rest = path.substr(first + 1);
        const size_t last = rest.rfind(u'\\');
        if (last == std::u16string::npos) {
            FUZZ_CHECK(subKey == rest && valueName == rest);
        } else {
            FUZZ_CHECK(subKey == rest.substr(0, last) && valueName == rest.substr(last + 1));
        }
    }
    return 0;
}
