#include "package/text_codec.h"

#include "base/codepage.h"

namespace ko {

TTextCodec TableCodec(int systemCodePage) {
    TTextCodec codec;
    codec.SystemCodePage = systemCodePage;
    codec.Decode = [systemCodePage](std::string_view bytes,
                                    int codePage) -> std::optional<std::string> {
        const int page = codePage == 0 ? systemCodePage : codePage;
        if (!IsSupportedCodePage(page))
            return std::nullopt;
        return CodePageToUtf8(bytes, page);
    };
    codec.Encode = [systemCodePage](std::string_view utf8,
                                    int codePage) -> std::optional<std::string> {
        const int page = codePage == 0 ? systemCodePage : codePage;
        if (!IsSupportedCodePage(page))
            return std::nullopt;
        TCodePageText text = Utf8ToCodePage(utf8, page);
        if (text.Unmappable)
            return std::nullopt;
        return std::move(text.Bytes);
    };
    return codec;
}

std::string EncodeLossy(const TTextCodec& codec, std::string_view utf8, int codePage) {
    std::string bytes;
    for (size_t pos = 0; pos < utf8.size();) {
        const size_t length = DecodeUtf8Char(utf8, pos).Length;
        bytes += codec.Encode(utf8.substr(pos, length), codePage).value_or("?");
        pos += length;
    }
    return bytes;
}

} // namespace ko
