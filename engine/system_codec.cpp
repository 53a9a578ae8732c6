#include "engine/system_codec.h"

#include "base/codepage.h"
#include "base/errors.h"
#include "base/win32_util.h"

namespace ko {

namespace {

// The system's own code page goes to the system, which decodes the few bytes our tables leave
// undefined as it always did; the tables serve a package in a single-byte code page from
// another system, whatever the code page here, even one the system lacks. UTF-8 and the
// double-byte code pages are every Windows' to convert, whatever its own.
UINT SystemPage(int codePage) {
    return codePage == 0 || UINT(codePage) == GetACP() ? CP_ACP : UINT(codePage);
}

TTextCodec MakeSystemCodec() {
    TTextCodec codec;
    codec.SystemCodePage = int(GetACP());
    codec.Decode = [](std::string_view bytes, int codePage) -> std::optional<std::string> {
        const UINT page = SystemPage(codePage);
        if (page != CP_ACP && IsSingleByteCodePage(codePage))
            return CodePageToUtf8(bytes, codePage);
        return SystemDecode(bytes, page);
    };
    codec.Encode = [](std::string_view utf8, int codePage) -> std::optional<std::string> {
        const UINT page = SystemPage(codePage);
        if (page != CP_ACP && IsSingleByteCodePage(codePage)) {
            TCodePageText text = Utf8ToCodePage(utf8, codePage);
            if (text.Unmappable)
                return std::nullopt;
            return std::move(text.Bytes);
        }
        return SystemEncode(utf8, page);
    };
    return codec;
}

} // namespace

const TTextCodec& SystemCodec() {
    static const TTextCodec codec = MakeSystemCodec();
    return codec;
}

void LoadData(TKoData& data, const std::string& file) {
    data.LoadFromFile(file);
    try {
        data.DecodeTexts(SystemCodec());
    } catch (const EKoError& e) {
        // Half-decoded texts must not be used.
        data.Clear();
        throw EKoError(file + ": " + e.what());
    }
}

} // namespace ko
