#pragma once
// The font engine of the Qt renderer. Fonts are loaded straight from the packaged font files
// (Inter, Quicksand, JetBrains Mono, Material Icons), never matched through the system's font
// configuration, so layout and pictures are the same on every machine.
//
// Each file is opened once at a reference size without hinting; advances and metrics scale
// linearly from it, so the many sizes a shrinking text tries cost nothing extra. Main thread
// only (Qt's font objects require the GUI thread); a QGuiApplication must exist.

#include "ui/font.h"

#include <QFont>
#include <QHash>
#include <QRawFont>
#include <QString>

#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace quorlix::ui::qt {

class QtFontEngine final : public FontEngine {
public:
    QtFontEngine();
    static QtFontEngine& shared();

    FontMetrics metrics(const ResolvedFont& font) override;
    double advance(const ResolvedFont& font, std::string_view utf8) override;
    bool hasGlyph(const ResolvedFont& font, char32_t codePoint) override;
    Rect inkBounds(const ResolvedFont& font, std::string_view utf8) override;
    double digitAdvance(const ResolvedFont& font) override;

    // For drawing: the font at `font.size` pixels.
    QRawFont rawFont(const ResolvedFont& font);
    // For glyph outlines: the font at `font.size` pixels, on a copy of the file nothing draws
    // with. Qt's FreeType engine leaves the sub-pixel offset of the glyph it last drew in the
    // file's shared state and applies it to the outlines it makes afterwards, so outlines taken
    // from the fonts that draw would shift with whatever was drawn before.
    QRawFont outlineFont(const ResolvedFont& font);
    // Glyphs and their kerned offsets along the baseline, in points, for a run.
    void shape(const ResolvedFont& font, const QString& text, QList<quint32>& glyphs,
               std::vector<double>& offsets);

    // The file behind a typeface and weight, or empty when it is not installed.
    static QString fileFor(Typeface face, int weight);
    // The font for a native widget (a text field) drawing text as the views do.
    static QFont widgetFont(const Font& font);

private:
    // Looked up by the text as given, without a copy of it.
    struct TextHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
    };
    template <class T>
    using ByText = std::unordered_map<std::string, T, TextHash, std::equal_to<>>;
    struct Face {
        QRawFont reference;     // at referenceSize pixels
        QRawFont outlines;      // the same, opened apart; once needed
        ByText<double> advances;  // in reference pixels
        ByText<QRectF> inks;      // the same
        std::optional<double> digit;  // the widest digit's advance, the same
    };
    Face& face(const ResolvedFont& font);

    static constexpr double referenceSize = 100;
    std::map<std::pair<int, int>, Face> faces_;  // by (typeface, weight)
    using SizedKey = std::tuple<int, int, long long>;
    static QRawFont sizedFrom(std::map<SizedKey, QRawFont>& kept, const QRawFont& reference,
                              const ResolvedFont& font);
    std::map<SizedKey, QRawFont> sized_;
    std::map<SizedKey, QRawFont> outlineSized_;
};

}  // namespace quorlix::ui::qt
