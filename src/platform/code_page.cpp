#include "platform/code_page.h"

#include <iconv.h>

#include <cerrno>
#include <limits>

#include "platform/strings.h"

namespace vx {

namespace {

const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);

iconv_t OpenConverter(std::string_view to, std::string_view from) {
    return iconv_open(std::string(to).c_str(), std::string(from).c_str());
}

bool IsContinuation(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Bytes of the UTF-8 character at `p`; 1 for a byte that starts none.
std::size_t Utf8Length(const char* p, std::size_t left) {
    const auto lead = static_cast<unsigned char>(*p);
    std::size_t length = 1;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
    }
    if (length > left) return 1;
    for (std::size_t i = 1; i < length; ++i) {
        if (!IsContinuation(p[i])) return 1;
    }
    return length;
}

// "ISO8859_5", "ISO_8859-5", "ISO-8859_5": the part number after the family, or empty.
std::string_view IsoPart(std::string_view upper) {
    for (std::string_view prefix : {"ISO-8859", "ISO_8859", "ISO8859"}) {
        if (upper.starts_with(prefix)) {
            std::string_view rest = upper.substr(prefix.size());
            if (!rest.empty() && (rest.front() == '-' || rest.front() == '_'))
                rest.remove_prefix(1);
            return rest;
        }
    }
    return {};
}

}  // namespace

std::string CanonicalCodePage(std::string_view name) {
    std::string upper = UpperAnsi(Trim(name));
    if (upper.empty()) return {};
    if (upper == "UTF8") upper = "UTF-8";
    for (std::string_view prefix : {"WINDOWS-", "WINDOWS"}) {
        if (upper.starts_with(prefix) && upper.size() > prefix.size()) {
            upper = "CP" + upper.substr(prefix.size());
            break;
        }
    }
    if (std::string_view part = IsoPart(upper); !part.empty())
        upper = "ISO-8859-" + std::string(part);
    iconv_t probe = OpenConverter("UTF-8", upper);
    if (probe == kNoConverter) return {};
    iconv_close(probe);
    return upper;
}

std::string UnknownCodePageLine(std::string_view name) {
    return "The code page \"" + std::string(name) +
           "\" is not known: the text is carried as it is, as Windows-1252";
}

TextRecoder::TextRecoder(std::string_view from, std::string_view to) {
    // A converter for one step, or null, with valid_ cleared, when iconv has none.
    auto open = [this](std::string_view target, std::string_view source) -> void* {
        iconv_t cd = OpenConverter(target, source);
        if (cd != kNoConverter) return cd;
        valid_ = false;
        return nullptr;
    };
    valid_ = true;
    if (from != kUtf8CodePage) decode_ = open(kUtf8CodePage, from);
    if (to != kUtf8CodePage) encode_ = open(to, kUtf8CodePage);
}

TextRecoder::~TextRecoder() {
    if (decode_ != nullptr) iconv_close(static_cast<iconv_t>(decode_));
    if (encode_ != nullptr) iconv_close(static_cast<iconv_t>(encode_));
}

void TextRecoder::Step(void* handle, std::string_view text, std::string& out, bool utf8In) {
    out.clear();
    if (handle == nullptr) {
        out.assign(text);
        return;
    }
    auto cd = static_cast<iconv_t>(handle);
    iconv(cd, nullptr, nullptr, nullptr, nullptr);  // a fresh shift state
    char* in = const_cast<char*>(text.data());
    std::size_t inLeft = text.size();
    out.resize(text.size() * 2 + 16);
    std::size_t done = 0;
    while (inLeft > 0) {
        if (out.size() - done < 8) out.resize(out.size() * 2);
        char* at = out.data() + done;
        std::size_t room = out.size() - done;
        const std::size_t result = iconv(cd, &in, &inLeft, &at, &room);
        done = static_cast<std::size_t>(at - out.data());
        if (result != static_cast<std::size_t>(-1)) continue;
        if (errno == E2BIG) {
            out.resize(out.size() * 2);
            continue;
        }
        // A character the target cannot hold, or bytes that are none of the source's.
        const std::size_t skip = utf8In ? Utf8Length(in, inLeft) : 1;
        in += skip;
        inLeft -= skip;
        out[done++] = '?';
        ++lost_;
    }
    // A converter may hold the last character back, to see whether a mark combines with it.
    for (;;) {
        char* at = out.data() + done;
        std::size_t room = out.size() - done;
        const std::size_t result = iconv(cd, nullptr, nullptr, &at, &room);
        done = static_cast<std::size_t>(at - out.data());
        if (result != static_cast<std::size_t>(-1) || errno != E2BIG) break;
        out.resize(out.size() * 2);
    }
    out.resize(done);
}

void TextRecoder::Convert(std::string_view text, std::string& out) {
    if (!valid_) {
        out.assign(text);
        return;
    }
    if (decode_ == nullptr) {
        Step(encode_, text, out, true);
        return;
    }
    Step(decode_, text, pivot_, false);
    Step(encode_, pivot_, out, true);
}

std::string TextRecoder::Convert(std::string_view text) {
    std::string out;
    Convert(text, out);
    return out;
}

void CharacterTally::AddUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        if (static_cast<unsigned char>(text[i]) < 0x80) {
            ++i;
            continue;
        }
        const std::size_t length = Utf8Length(text.data() + i, text.size() - i);
        ++counts_[std::string(text.substr(i, length))];
        i += length;
    }
}

CodePageChoice ChooseCodePage(const CharacterTally& tally,
                              std::span<const std::string_view> candidates) {
    CodePageChoice best;
    best.lost = std::numeric_limits<std::size_t>::max();
    for (std::string_view candidate : candidates) {
        TextRecoder recoder(kUtf8CodePage, candidate);
        if (!recoder.Valid()) continue;
        std::size_t lost = 0;
        std::string scratch;
        for (const auto& [character, count] : tally.Counts()) {
            const std::size_t before = recoder.Lost();
            recoder.Convert(character, scratch);
            if (recoder.Lost() != before) lost += count;
        }
        if (lost < best.lost) {
            best.codePage = candidate;
            best.lost = lost;
            if (lost == 0) break;
        }
    }
    if (best.codePage.empty()) best.lost = 0;
    return best;
}

}  // namespace vx
