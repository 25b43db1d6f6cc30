#include "skinfile.h"

#include <QDir>
#include <algorithm>
#include <foundation/paths.h>
#include <foundation/textfile.h>

namespace zuv::radio {
namespace {

// Far beyond any screen: a value past it is a typing mistake, not a layout.
constexpr int kMaxTwips = 30000;
constexpr int kMaxColour = 0xFFFFFF;

bool sameText(const QString& a, const char16_t* b)
{
    return a.compare(QStringView(b), Qt::CaseInsensitive) == 0;
}

QString field(const QStringList& fields, qsizetype i)
{
    return i < fields.size() ? fields[i] : QString();
}

std::optional<int> number(const QStringList& fields, qsizetype i, int low, int high)
{
    bool ok = false;
    const int value = field(fields, i).toInt(&ok);
    if (!ok || value < low || value > high)
        return std::nullopt;
    return value;
}

std::optional<int> position(const QStringList& f, qsizetype i)
{
    return number(f, i, -kMaxTwips, kMaxTwips);
}

std::optional<int> size(const QStringList& f, qsizetype i)
{
    return number(f, i, 0, kMaxTwips);
}

std::optional<int> colour(const QStringList& f, qsizetype i)
{
    return number(f, i, 0, kMaxColour);
}

// Each reader gives the control as its line describes it, or nothing when a
// number is bad; the caller then keeps what the control had.

std::optional<SkinWindow> readWindow(const QStringList& f)
{
    const auto width = number(f, 1, 1, kMaxTwips);
    const auto height = number(f, 2, 1, kMaxTwips);
    if (!width || !height)
        return std::nullopt;
    return SkinWindow{*width, *height};
}

std::optional<SkinButton> readButton(const QStringList& f)
{
    // A hidden image needs no place.
    if (!sameText(field(f, 1), u"show"))
        return SkinButton{};
    const auto top = position(f, 2);
    const auto left = position(f, 3);
    if (!top || !left)
        return std::nullopt;
    return SkinButton{true, *top, *left};
}

std::optional<SkinList> readList(const QStringList& f)
{
    const auto top = position(f, 2);
    const auto left = position(f, 3);
    const auto width = size(f, 5);
    const auto height = size(f, 6);
    const auto back = colour(f, 7);
    const auto text = colour(f, 8);
    if (!top || !left || !width || !height || !back || !text)
        return std::nullopt;
    return SkinList{field(f, 1), *top, *left, field(f, 4), *width, *height, *back, *text};
}

std::optional<SkinDisplay> readDisplay(const QStringList& f)
{
    const auto top = position(f, 2);
    const auto left = position(f, 3);
    if (!top || !left)
        return std::nullopt;
    return SkinDisplay{field(f, 1), *top, *left, field(f, 4), field(f, 5)};
}

std::optional<SkinWeb> readWeb(const QStringList& f)
{
    const auto top = position(f, 2);
    const auto left = position(f, 3);
    if (!top || !left)
        return std::nullopt;
    return SkinWeb{field(f, 1), *top, *left, field(f, 4)};
}

std::optional<SkinLabel> readLabel(const QStringList& f)
{
    const auto top = position(f, 1);
    const auto left = position(f, 2);
    const auto width = size(f, 3);
    const auto height = size(f, 4);
    const auto text = colour(f, 5);
    if (!top || !left || !width || !height || !text)
        return std::nullopt;
    return SkinLabel{*top, *left, *width, *height, *text};
}

std::optional<SkinStatus> readStatus(const QStringList& f)
{
    const auto firstTop = position(f, 2);
    const auto secondTop = position(f, 3);
    const auto left = position(f, 4);
    const auto width = size(f, 5);
    const auto firstHeight = size(f, 6);
    const auto secondHeight = size(f, 7);
    const auto text = colour(f, 8);
    if (!firstTop || !secondTop || !left || !width || !firstHeight || !secondHeight || !text)
        return std::nullopt;
    return SkinStatus{field(f, 1), *firstTop,    *secondTop,    *left,
                      *width,      *firstHeight, *secondHeight, *text};
}

template <typename Control, typename T>
void keepOrSet(Control& control, const std::optional<T>& read)
{
    if (read)
        control = *read;
}

} // namespace

Skin parseSkin(const QStringList& lines)
{
    Skin skin;
    const std::pair<const char16_t*, SkinButton Skin::*> buttons[] = {
        {u"LineMenu_OnTop", &Skin::LineMenu_OnTop}, {u"LineMenu_Min", &Skin::LineMenu_Min},
        {u"LineMenu_End", &Skin::LineMenu_End},     {u"Control_Play", &Skin::Control_Play},
        {u"Control_Rec", &Skin::Control_Rec},       {u"Control_ShowUser", &Skin::Control_ShowUser},
        {u"Control_Menu", &Skin::Control_Menu},     {u"Control_Sat", &Skin::Control_Sat},
        {u"Control_Volume", &Skin::Control_Volume},
    };
    const std::pair<const char16_t*, std::optional<SkinLabel> Skin::*> labels[] = {
        {u"InfoName", &Skin::InfoName},
        {u"InfoTime", &Skin::InfoTime},
        {u"InfoNaladit", &Skin::InfoNaladit},
    };

    for (const QString& line : lines) {
        if (!line.contains(u'|'))
            continue;
        QStringList f = line.split(u'|');
        for (QString& value : f)
            value = value.trimmed();
        const QString& element = f[0];
        if (sameText(element, u"SVform")) {
            keepOrSet(skin.SVform, readWindow(f));
        } else if (sameText(element, u"Control_List")) {
            keepOrSet(skin.Control_List, readList(f));
        } else if (sameText(element, u"SVDisplay")) {
            keepOrSet(skin.SVDisplay, readDisplay(f));
        } else if (sameText(element, u"Zuvwww")) {
            keepOrSet(skin.Zuvwww, readWeb(f));
        } else if (sameText(element, u"InfoStatus")) {
            keepOrSet(skin.InfoStatus, readStatus(f));
        } else {
            // "Author" and elements this player does not know fall through.
            for (const auto& [name, member] : buttons) {
                if (sameText(element, name))
                    keepOrSet(skin.*member, readButton(f));
            }
            for (const auto& [name, member] : labels) {
                if (sameText(element, name))
                    keepOrSet(skin.*member, readLabel(f));
            }
        }
    }
    return skin;
}

std::optional<Skin> readSkin(const QString& path)
{
    const std::optional<QStringList> lines = TextFile::readLines(path);
    if (!lines)
        return std::nullopt;
    return parseSkin(*lines);
}

quint32 skinRgb(int colour)
{
    const quint32 v = quint32(colour);
    const quint32 red = v & 0xFF;
    const quint32 green = (v >> 8) & 0xFF;
    const quint32 blue = (v >> 16) & 0xFF;
    return 0xFF000000u | red << 16 | green << 8 | blue;
}

QString skinFolder()
{
    return dataPath(QStringLiteral("skins"));
}

QString skinFile(const QString& name)
{
    return dataPath(QStringLiteral("skins/") + name + QStringLiteral(".skin"));
}

QString skinPicture(const QString& name, const QString& file)
{
    return dataPath(QStringLiteral("skins/") + name + u'/' + file);
}

QStringList skinNames(const QString& folder)
{
    const QString extension = QStringLiteral(".skin");
    QStringList names;
    const QStringList files = QDir(resolvePath(folder)).entryList(QDir::Files);
    for (const QString& file : files) {
        if (file.size() > extension.size() && file.endsWith(extension, Qt::CaseInsensitive))
            names.append(file.chopped(extension.size()));
    }
    // Names equal but for case still come in one order from run to run.
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int folded = a.compare(b, Qt::CaseInsensitive);
        return folded != 0 ? folded < 0 : a < b;
    });
    return names;
}

QString pickSkin(const QStringList& names, const QString& wanted)
{
    for (const QString& name : names) {
        if (name.compare(wanted, Qt::CaseInsensitive) == 0)
            return name;
    }
    return names.isEmpty() ? QString() : names.first();
}

std::optional<int> volumeLevel(int value)
{
    if (value < 0)
        return std::nullopt;
    constexpr int kStep = 20;
    return std::min(5, (value + kStep - 1) / kStep);
}

SkinVisibility skinVisibility(const Skin& skin, bool playing, bool favouritesEmpty)
{
    const auto& list = skin.Control_List;
    const auto& display = skin.SVDisplay;
    const auto& web = skin.Zuvwww;
    const bool listShown = list && sameText(list->showFlag, u"show");
    const bool displayShown = display && sameText(display->showFlag, u"show");
    const bool webShown = web && sameText(web->showFlag, u"show");

    SkinVisibility v;
    if (playing) {
        v.playPicture = QStringLiteral("stop.gif");
        v.list = listShown && !sameText(list->playMode, u"hideplay");
        v.display = displayShown;
        v.web = webShown && !sameText(web->mode, u"showstop");
    } else {
        v.playPicture = QStringLiteral("play.gif");
        v.list = listShown && !favouritesEmpty;
        v.display = displayShown &&
                    (sameText(display->idleMode, u"showevery") ||
                     (favouritesEmpty && sameText(display->emptyListMode, u"showifnulllist")));
        v.web = webShown && (sameText(web->mode, u"showevery") || sameText(web->mode, u"showstop"));
    }
    return v;
}

StatusPlace statusPlace(const SkinStatus& status, const QString& positionText)
{
    if (positionText.isEmpty() && status.placementFlag == u"1")
        return {status.firstTop, status.firstHeight};
    return {status.secondTop, status.secondHeight};
}

} // namespace zuv::radio
