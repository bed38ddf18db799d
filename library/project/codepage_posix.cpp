// SPDX-License-Identifier: MIT
#include "project/codepage.h"

#include <cerrno>
#include <cstdlib>
#include <iconv.h>

namespace scriba8 {
namespace {

constexpr const char* kDefaultCodePage = "CP936";

// One conversion descriptor per call: iconv state is not shareable between
// threads, and these conversions are rare and short.
class Converter {
  public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (valid()) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() const { return cd_; }

  private:
    iconv_t cd_;
};

// Length of the UTF-8 sequence a lead byte announces; 1 for a stray byte so
// that a bad byte is replaced on its own.
std::size_t utf8SequenceLength(unsigned char lead) {
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    if (lead >= 0xE0) return lead <= 0xEF ? 3 : 1;
    if (lead >= 0xC2) return 2;
    return 1;
}

std::size_t skipOne(std::string_view rest, bool inputIsUtf8) {
    if (!inputIsUtf8) return 1;
    const std::size_t length = utf8SequenceLength(static_cast<unsigned char>(rest.front()));
    std::size_t taken = 1;
    // Never swallow the start of the next character along with a broken one.
    while (taken < length && taken < rest.size() &&
           (static_cast<unsigned char>(rest[taken]) & 0xC0) == 0x80) {
        ++taken;
    }
    return taken;
}

std::string convert(std::string_view input, const char* to, const char* from, bool inputIsUtf8) {
    Converter converter(to, from);
    std::string output;
    if (!converter.valid()) {
        // No conversion available at all: keep plain ASCII, mark the rest.
        for (char c : input)
            output += static_cast<unsigned char>(c) < 0x80 ? c : '?';
        return output;
    }

    char buffer[256];
    std::string_view rest = input;
    while (!rest.empty()) {
        char* in = const_cast<char*>(rest.data());
        std::size_t inLeft = rest.size();
        char* out = buffer;
        std::size_t outLeft = sizeof buffer;
        const std::size_t done = iconv(converter.get(), &in, &inLeft, &out, &outLeft);
        const int error = errno;
        output.append(buffer, sizeof buffer - outLeft);
        rest.remove_prefix(rest.size() - inLeft);
        if (done != static_cast<std::size_t>(-1) || error == E2BIG) continue;
        // EILSEQ or EINVAL: unmappable, malformed or cut-off input.
        output += '?';
        rest.remove_prefix(skipOne(rest, inputIsUtf8));
        iconv(converter.get(), nullptr, nullptr, nullptr, nullptr);
    }
    char* out = buffer;
    std::size_t outLeft = sizeof buffer;
    iconv(converter.get(), nullptr, nullptr, &out, &outLeft);
    output.append(buffer, sizeof buffer - outLeft);
    return output;
}

bool codePageKnown(const std::string& name) { return Converter(name.c_str(), "UTF-8").valid(); }

} // namespace

std::string projectCodePage() {
    const char* chosen = std::getenv("SCRIBA8_CODEPAGE");
    if (chosen != nullptr && *chosen != '\0' && codePageKnown(chosen)) return chosen;
    return kDefaultCodePage;
}

std::string toLegacyText(std::string_view utf8) {
    const std::string codePage = projectCodePage();
    return convert(utf8, codePage.c_str(), "UTF-8", true);
}

std::string fromLegacyText(std::string_view legacy) {
    const std::string codePage = projectCodePage();
    return convert(legacy, "UTF-8", codePage.c_str(), false);
}

} // namespace scriba8
