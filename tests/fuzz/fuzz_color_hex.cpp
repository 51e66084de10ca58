// Colour text (colorFromHex): a text that reads as a colour formats to a text that reads as the
// same colour, and every "#RRGGBB" / "#RRGGBBAA" reads exactly.
#include "FuzzSupport.h"

#include "tags/CustomTagManager.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes = fuzzBytes(data, size);
    for (const QString& text : {QString::fromUtf8(bytes), QString::fromLatin1(bytes)}) {
        const std::optional<QColor> color = CustomTagManager::colorFromHex(text);
        if (!color)
            continue;
        FUZZ_CHECK(color->isValid() && color->spec() == QColor::Rgb);
        const std::optional<QString> formatted = CustomTagManager::hexFromColor(*color);
        FUZZ_CHECK(formatted.has_value());
        const std::optional<QColor> reread = CustomTagManager::colorFromHex(*formatted);
        FUZZ_CHECK(reread.has_value());
        FUZZ_CHECK(reread->rgb() == color->rgb());
    }

    FuzzInput input(data, size);
    const auto r = input.integer<std::uint8_t>();
    const auto g = input.integer<std::uint8_t>();
    const auto b = input.integer<std::uint8_t>();
    const auto a = input.integer<std::uint8_t>();
    const QString opaque = QString::asprintf("#%02X%02X%02X", r, g, b);
    FUZZ_CHECK(CustomTagManager::hexFromColor(QColor(r, g, b)) == opaque);
    FUZZ_CHECK(CustomTagManager::colorFromHex(opaque) == QColor(r, g, b));
    const QString withAlpha = QString::asprintf("#%02x%02x%02x%02x", r, g, b, a);
    FUZZ_CHECK(CustomTagManager::colorFromHex(withAlpha) == QColor(r, g, b, a));
    return 0;
}
