#include "app/theme/SymbolGlyph.h"

#include <algorithm>
#include <cmath>

#include <QFontDatabase>
#include <QStringList>

// The font resource lives in this static library; nothing else would pull it in.
static void initIconFontResource() { Q_INIT_RESOURCE(icon_font); }

namespace korvane {

namespace {

// Sorted by name for the binary search below.
constexpr SymbolGlyph glyphTable[] = {
    {"app.badge", "apps", 0xe5c3},
    {"arrow.clockwise", "refresh", 0xe5d5},
    {"arrow.counterclockwise", "replay", 0xe042},
    {"arrow.right", "arrow_forward", 0xe5c8},
    {"arrow.up.circle", "arrow_circle_up", 0xf182},
    {"arrow.up.forward.app", "open_in_new", 0xe89e},
    {"arrow.uturn.backward", "undo", 0xe166},
    {"arrow.uturn.backward.circle", "settings_backup_restore", 0xe8ba},
    {"atom", "science", 0xea4b},
    {"bird.fill", "flutter_dash", 0xe00b},
    {"calendar", "calendar_today", 0xe935},
    {"chart.bar", "bar_chart", 0xe26b},
    {"chart.line.uptrend.xyaxis", "show_chart", 0xe6e1},
    {"checkmark", "check", 0xe5ca},
    {"checkmark.circle", "check_circle_outline", 0xe92d},
    {"checkmark.circle.fill", "check_circle", 0xe86c},
    {"checkmark.seal", "verified", 0xef76},
    {"chevron.down", "expand_more", 0xe5cf},
    {"chevron.left.forwardslash.chevron.right", "code", 0xe86f},
    {"chevron.right", "chevron_right", 0xe5cc},
    {"circle.circle", "donut_large", 0xe917},
    {"circle.hexagongrid", "bubble_chart", 0xe6dd},
    {"clock.arrow.circlepath", "history", 0xe889},
    {"clock.badge.questionmark", "schedule", 0xe8b5},
    {"cube.transparent.fill", "view_in_ar", 0xe9fe},
    {"doc", "insert_drive_file", 0xe24d},
    {"doc.on.doc", "content_copy", 0xe14d},
    {"doc.richtext", "picture_as_pdf", 0xe415},
    {"doc.text", "description", 0xe873},
    {"doc.zipper", "folder_zip", 0xeb2c},
    {"exclamationmark.triangle.fill", "warning", 0xe002},
    {"externaldrive", "sd_storage", 0xe623},
    {"eye", "visibility", 0xe8f4},
    {"eye.slash", "visibility_off", 0xe8f5},
    {"film", "movie", 0xe02c},
    {"flame", "local_fire_department", 0xef55},
    {"folder", "folder", 0xe2c7},
    {"folder.badge.questionmark", "folder_open", 0xe2c8},
    {"gearshape", "settings", 0xe8b8},
    {"gearshape.2.fill", "miscellaneous_services", 0xf10c},
    {"hammer", "hardware", 0xea59},
    {"hammer.fill", "hardware", 0xea59},
    {"hand.raised", "pan_tool", 0xe925},
    {"hourglass", "hourglass_empty", 0xe88b},
    {"house", "home", 0xe88a},
    {"info.circle", "info_outline", 0xe88f},
    {"internaldrive", "storage", 0xe1db},
    {"list.bullet", "format_list_bulleted", 0xe241},
    {"lock.fill", "lock", 0xe897},
    {"lock.shield", "security", 0xe32a},
    {"magnifyingglass", "search", 0xe8b6},
    {"minus.circle", "remove_circle_outline", 0xe15d},
    {"minus.magnifyingglass", "zoom_out", 0xe900},
    {"opticaldisc", "album", 0xe019},
    {"photo", "photo", 0xe410},
    {"plus.circle", "add_circle_outline", 0xe148},
    {"plus.magnifyingglass", "zoom_in", 0xe8ff},
    {"point.3.connected.trianglepath.dotted", "hub", 0xe9f4},
    {"questionmark.folder", "help_outline", 0xe8fd},
    {"scope", "gps_fixed", 0xe1b3},
    {"shippingbox", "inventory_2", 0xe1a1},
    {"shippingbox.fill", "inventory_2", 0xe1a1},
    {"sidebar.trailing", "view_sidebar", 0xf114},
    {"smartphone", "smartphone", 0xe32c},
    {"sparkle.magnifyingglass", "manage_search", 0xf02f},
    {"square.grid.2x2", "grid_view", 0xe9b0},
    {"square.stack.3d.down.right", "view_day", 0xe8ed},
    {"square.stack.3d.up", "layers", 0xe53b},
    {"stop.fill", "stop", 0xe047},
    {"trash", "delete", 0xe872},
    {"wand.and.stars", "auto_fix_high", 0xe663},
    {"waveform", "graphic_eq", 0xe1b8},
    {"waveform.path.ecg", "monitor_heart", 0xeaa2},
    {"wrench.and.screwdriver.fill", "handyman", 0xf10b},
    {"xmark.bin", "backspace", 0xe14a},
    {"xmark.circle", "highlight_off", 0xe888},
    {"xmark.circle.fill", "cancel", 0xe5c9},
};

static_assert(std::ranges::is_sorted(glyphTable, {}, &SymbolGlyph::name));

const SymbolGlyph* find(std::string_view name) {
    const auto it = std::ranges::lower_bound(glyphTable, name, {}, &SymbolGlyph::name);
    return it != std::end(glyphTable) && it->name == name ? &*it : nullptr;
}

QString iconFamily() {
    // The resource is compiled in; failing to load it is a broken build.
    static const QString family = [] {
        initIconFontResource();
        const int id = QFontDatabase::addApplicationFont(QStringLiteral(":/fonts/MaterialIcons-Regular.ttf"));
        const QStringList families = QFontDatabase::applicationFontFamilies(id);
        return families.isEmpty() ? QStringLiteral("Material Icons") : families.first();
    }();
    return family;
}

}  // namespace

std::span<const SymbolGlyph> allSymbolGlyphs() { return glyphTable; }

const SymbolGlyph& symbolGlyph(std::string_view name) {
    const SymbolGlyph* glyph = find(name);
    return glyph ? *glyph : fallbackSymbolGlyph;
}

bool hasSymbolGlyph(std::string_view name) { return find(name) != nullptr; }

QString symbolText(std::string_view name) { return QString(QChar(symbolGlyph(name).codepoint)); }

QFont symbolFont(double size) {
    QFont font(iconFamily());
    // Material glyphs fill about 5/6 of their em box; this scale makes them
    // stand as tall as a symbol of the same point size next to text.
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(size * 1.2))));
    font.setStyleStrategy(QFont::NoFontMerging);
    return font;
}

}  // namespace korvane
