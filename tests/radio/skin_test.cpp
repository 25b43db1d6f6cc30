#include <QColor>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QRect>
#include <algorithm>
#include <cmath>
#include <core/skinfile.h>
#include <gtest/gtest.h>
#include <support/tempsuite.h>

using namespace Qt::StringLiterals;
using namespace zuv::radio;

namespace {

// Every element once, as a skin maker writes them.
const QStringList kFullSkin = {
    u"Author|Eva Šťastná|Zkušební skin"_s,
    u"SVform|4950|2250"_s,
    u"LineMenu_OnTop|show|45|4080"_s,
    u"LineMenu_Min|SHOW|45|4350"_s,
    u"LineMenu_End|show|45|4620"_s,
    u"Control_Play|show|1695|150"_s,
    u"Control_Rec|hide|1755|780"_s,
    u"Control_ShowUser|show|1755|1230"_s,
    u"Control_Menu|show|1755|1680"_s,
    u"Control_Sat|show|1755|2130"_s,
    u"Control_Volume|show|1785|3690"_s,
    u"Control_List|show|390|2700|hideplay|2130|1170|2234130|15326676"_s,
    u"SVDisplay|show|390|120|showevery|showifnulllist"_s,
    u"Zuvwww|show|45|120|showstop"_s,
    u"InfoName|495|240|2220|270|16768127"_s,
    u"InfoTime|810|240|2220|240|15128265"_s,
    u"InfoNaladit|840|240|2220|270|6082559"_s,
    u"InfoStatus|1|810|1080|240|2220|510|240|13811113"_s,
};

Skin withList(const QString& flag, const QString& playMode)
{
    Skin skin;
    skin.Control_List = SkinList{flag, 0, 0, playMode, 100, 100, 0, 0};
    return skin;
}

// The source tree's shipped skins, found from this file.
QString shippedSkins()
{
    return QFileInfo(QStringLiteral(__FILE__))
        .dir()
        .absoluteFilePath(u"../../data/Zuv_Data/skins"_s);
}

double luminance(const QColor& c)
{
    auto channel = [](double v) {
        return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

double contrast(const QColor& a, const QColor& b)
{
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QRect pixels(int top, int left, int width, int height)
{
    return {left / 15, top / 15, width / 15, height / 15};
}

} // namespace

TEST(SkinFile, AFullSkinIsReadFromItsFile)
{
    zuvtest::TempSuite suite;
    QByteArray bytes;
    for (const QString& line : kFullSkin)
        bytes += zuvtest::cp1250(line) + "\r\n";
    bytes += "a line without a bar\r\n";
    suite.write(u"Zuv_Data/skins/Zkouska.skin"_s, bytes);

    const std::optional<Skin> read = readSkin(skinFile(u"zkouska"_s));
    ASSERT_TRUE(read);
    const Skin& s = *read;
    EXPECT_EQ(s.SVform, (SkinWindow{4950, 2250}));
    EXPECT_EQ(s.LineMenu_OnTop, (SkinButton{true, 45, 4080}));
    EXPECT_EQ(s.LineMenu_Min, (SkinButton{true, 45, 4350}));
    EXPECT_EQ(s.Control_Play, (SkinButton{true, 1695, 150}));
    EXPECT_FALSE(s.Control_Rec.shown);
    EXPECT_EQ(s.Control_Volume, (SkinButton{true, 1785, 3690}));
    EXPECT_EQ(s.Control_List,
              (SkinList{u"show"_s, 390, 2700, u"hideplay"_s, 2130, 1170, 2234130, 15326676}));
    EXPECT_EQ(s.SVDisplay, (SkinDisplay{u"show"_s, 390, 120, u"showevery"_s, u"showifnulllist"_s}));
    EXPECT_EQ(s.Zuvwww, (SkinWeb{u"show"_s, 45, 120, u"showstop"_s}));
    EXPECT_EQ(s.InfoName, (SkinLabel{495, 240, 2220, 270, 16768127}));
    EXPECT_EQ(s.InfoTime, (SkinLabel{810, 240, 2220, 240, 15128265}));
    EXPECT_EQ(s.InfoNaladit, (SkinLabel{840, 240, 2220, 270, 6082559}));
    EXPECT_EQ(s.InfoStatus, (SkinStatus{u"1"_s, 810, 1080, 240, 2220, 510, 240, 13811113}));

    EXPECT_EQ(skinPicture(u"zkouska"_s, u"form.gif"_s), suite.data(u"skins/zkouska/form.gif"_s));
    EXPECT_FALSE(readSkin(skinFile(u"Chybi"_s)));
}

TEST(SkinFile, AnOmittedControlStaysHidden)
{
    const Skin skin = parseSkin({u"SVform|3000|1500"_s, u"Control_Play|show|10|20"_s});
    Skin expected;
    expected.SVform = SkinWindow{3000, 1500};
    expected.Control_Play = SkinButton{true, 10, 20};
    EXPECT_EQ(skin, expected);
    for (bool playing : {false, true}) {
        const SkinVisibility v = skinVisibility(skin, playing, true);
        EXPECT_FALSE(v.list || v.display || v.web) << playing;
    }
}

TEST(SkinFile, LinesThatCannotBeReadChangeNothing)
{
    const QString rows[] = {
        u"Control_Play|show|abc|150"_s,
        u"Control_Play|show|1695"_s, // the left is missing
        u"Control_Play|show|1.5|150"_s,
        u"Control_Play|show|99999999999|150"_s,
        u"Control_Play|show|30001|150"_s,
        u"Control_List|show|390|2700|hideplay|-10|1170|0|0"_s,         // a negative size
        u"Control_List|show|390|2700|hideplay|2130|1170|0|16777216"_s, // not a colour
        u"Control_List|show|390|2700|hideplay|2130|1170|0"_s,
        u"SVDisplay|show|x|120|showevery|"_s,
        u"Zuvwww|show|45|"_s,
        u"InfoName|495|240|2220|270|"_s,
        u"InfoStatus|1|810|1080|240|2220|510|nic|0"_s,
        u"SVform|0|2250"_s,
        u"SVform|4950"_s,
        u"Author|Control_Play|show|1|2"_s,
        u"Control_Play show 1 2"_s,
        u"|"_s,
        u"Neznamy|show|1|2"_s,
        u""_s,
    };
    const Skin full = parseSkin(kFullSkin);
    for (const QString& row : rows) {
        // Alone the control stays as every skin starts; after a good line
        // it keeps that line's values.
        EXPECT_EQ(parseSkin({row}), Skin{}) << row.toStdString();
        EXPECT_EQ(parseSkin(kFullSkin + QStringList{row}), full) << row.toStdString();
    }
    // A good later line still wins, and a hiding line needs no numbers.
    EXPECT_EQ(parseSkin(kFullSkin + QStringList{u"Control_Play|show|1|2"_s}).Control_Play,
              (SkinButton{true, 1, 2}));
    EXPECT_FALSE(parseSkin(kFullSkin + QStringList{u"Control_Play|off"_s}).Control_Play.shown);
}

TEST(SkinFile, VolumePictureLevels)
{
    const std::pair<int, std::optional<int>> rows[] = {
        {0, 0},  {1, 1},  {20, 1}, {21, 2}, {40, 2},  {41, 3},
        {60, 3}, {61, 4}, {80, 4}, {81, 5}, {100, 5}, {-1, std::nullopt},
    };
    for (const auto& [value, level] : rows)
        EXPECT_EQ(volumeLevel(value), level) << value;
}

TEST(SkinFile, WhatEachPlayStateShows)
{
    struct Row
    {
        const char* what;
        Skin skin;
        bool playing;
        bool favouritesEmpty;
        bool list, display, web;
    };
    auto display = [](QString flag, QString idle, QString empty) {
        Skin skin = withList(u"show"_s, u""_s);
        skin.SVDisplay = SkinDisplay{flag, 0, 0, idle, empty};
        return skin;
    };
    auto web = [](QString flag, QString mode) {
        Skin skin;
        skin.Zuvwww = SkinWeb{flag, 0, 0, mode};
        return skin;
    };
    const Row rows[] = {
        {"hideplay, idle", withList(u"show"_s, u"hideplay"_s), false, false, true, false, false},
        {"hideplay, playing", withList(u"Show"_s, u"HidePlay"_s), true, false, false, false, false},
        {"list kept while playing", withList(u"show"_s, u""_s), true, true, true, false, false},
        {"list not shown", withList(u"hide"_s, u""_s), false, false, false, false, false},
        {"no favourites, idle", withList(u"show"_s, u""_s), false, true, false, false, false},
        {"showifnulllist, favourites", display(u"show"_s, u"x"_s, u"showifnulllist"_s), false,
         false, true, false, false},
        {"showifnulllist, none", display(u"show"_s, u"x"_s, u"ShowIfNullList"_s), false, true,
         false, true, false},
        {"showifnulllist, playing", display(u"show"_s, u"x"_s, u"showifnulllist"_s), true, false,
         true, true, false},
        {"showevery, idle", display(u"show"_s, u"showevery"_s, u""_s), false, false, true, true,
         false},
        {"display not shown", display(u"no"_s, u"showevery"_s, u"showifnulllist"_s), true, true,
         true, false, false},
        {"showstop, idle", web(u"show"_s, u"showstop"_s), false, false, false, false, true},
        {"showstop, playing", web(u"show"_s, u"SHOWSTOP"_s), true, false, false, false, false},
        {"showevery, playing", web(u"show"_s, u"showevery"_s), true, false, false, false, true},
        {"other mode, idle", web(u"show"_s, u"x"_s), false, false, false, false, false},
        {"other mode, playing", web(u"show"_s, u"x"_s), true, false, false, false, true},
        {"web not shown, playing", web(u"hide"_s, u"showevery"_s), true, false, false, false,
         false},
    };
    for (const Row& row : rows) {
        const SkinVisibility v = skinVisibility(row.skin, row.playing, row.favouritesEmpty);
        EXPECT_EQ(v.list, row.list) << row.what;
        EXPECT_EQ(v.display, row.display) << row.what;
        EXPECT_EQ(v.web, row.web) << row.what;
        EXPECT_EQ(v.playPicture, row.playing ? u"stop.gif"_s : u"play.gif"_s) << row.what;
    }
}

TEST(SkinFile, StatusTakesItsFirstPlaceOnlyWithoutAPosition)
{
    const SkinStatus allowed{u"1"_s, 810, 1080, 0, 0, 510, 240, 0};
    SkinStatus refused = allowed;
    refused.placementFlag = u"0"_s;
    EXPECT_EQ(statusPlace(allowed, u""_s), (StatusPlace{810, 510}));
    EXPECT_EQ(statusPlace(allowed, u"00:01"_s), (StatusPlace{1080, 240}));
    EXPECT_EQ(statusPlace(refused, u""_s), (StatusPlace{1080, 240}));
}

TEST(SkinFile, SkinsAreListedSortedAndPickedIgnoringCase)
{
    zuvtest::TempSuite suite;
    for (const char* file : {"Zima.skin", "Blue.skin", "alfa.SKIN", "notes.txt", "Blue.skin.bak",
                             "Blue/form.gif", "slozka.skin/x"})
        suite.write(u"Zuv_Data/skins/"_s + QString::fromLatin1(file), "x");
    const QStringList names = skinNames(skinFolder());
    EXPECT_EQ(names, (QStringList{u"alfa"_s, u"Blue"_s, u"Zima"_s}));

    EXPECT_EQ(pickSkin(names, u"blue"_s), u"Blue"_s);
    EXPECT_EQ(pickSkin(names, u"Léto"_s), u"alfa"_s);
    EXPECT_EQ(pickSkin(names, u""_s), u"alfa"_s);
    EXPECT_EQ(pickSkin({}, u"Blue"_s), u""_s);
    EXPECT_TRUE(skinNames(suite.data(u"chybi"_s)).isEmpty());
}

TEST(SkinFile, ColoursAreBlueGreenRed)
{
    const std::pair<int, QColor> rows[] = {
        {0x0000FF, QColor(255, 0, 0)}, {0x00FF00, QColor(0, 255, 0)},
        {0xFF0000, QColor(0, 0, 255)}, {0x123456, QColor(0x56, 0x34, 0x12)},
        {0, QColor(0, 0, 0)},
    };
    for (const auto& [value, colour] : rows) {
        EXPECT_EQ(skinColor(value), colour) << value;
        EXPECT_EQ(skinRgb(value), colour.rgb()) << value;
    }
}

// The skins the program folder ships: every line read, every picture there
// and where the file puts it, and the texts readable on what lies under them.
TEST(SkinFile, ShippedSkinsAreComplete)
{
    const QString folder = shippedSkins();
    const QStringList names = skinNames(folder);
    ASSERT_TRUE(names.contains(u"Den"_s) && names.contains(u"Noc"_s)) << folder.toStdString();
    for (const QString& name : names) {
        SCOPED_TRACE(name.toStdString());
        const std::optional<Skin> read = readSkin(folder + u'/' + name + u".skin"_s);
        ASSERT_TRUE(read);
        const Skin& s = *read;
        auto picture = [&](const QString& file) {
            const QImage image(folder + u'/' + name + u'/' + file);
            EXPECT_FALSE(image.isNull()) << file.toStdString();
            return image;
        };
        ASSERT_TRUE(s.SVform && s.Control_List && s.SVDisplay && s.Zuvwww && s.InfoName &&
                    s.InfoTime && s.InfoNaladit && s.InfoStatus);
        const QImage form = picture(u"form.gif"_s);
        const QRect window(0, 0, s.SVform->width / 15, s.SVform->height / 15);
        EXPECT_EQ(form.size(), window.size());

        const std::pair<const SkinButton*, QStringList> buttons[] = {
            {&s.LineMenu_OnTop, {u"ot.gif"_s, u"otn.gif"_s}},
            {&s.LineMenu_Min, {u"min.gif"_s}},
            {&s.LineMenu_End, {u"end.gif"_s}},
            {&s.Control_Play, {u"play.gif"_s, u"stop.gif"_s}},
            {&s.Control_Rec, {u"rec.gif"_s}},
            {&s.Control_ShowUser, {u"show.gif"_s}},
            {&s.Control_Menu, {u"menu.gif"_s}},
            {&s.Control_Sat, {u"sat.gif"_s}},
            {&s.Control_Volume,
             {u"vol0.gif"_s, u"vol1.gif"_s, u"vol2.gif"_s, u"vol3.gif"_s, u"vol4.gif"_s,
              u"vol5.gif"_s}},
        };
        QList<QRect> placed; // no two buttons on one spot
        for (const auto& [button, files] : buttons) {
            EXPECT_TRUE(button->shown) << files.first().toStdString();
            QRect area;
            for (const QString& file : files) {
                const QRect at(QPoint(button->left / 15, button->top / 15), picture(file).size());
                EXPECT_TRUE(window.contains(at)) << file.toStdString();
                area = area.united(at);
            }
            for (const QRect& other : placed)
                EXPECT_FALSE(area.intersects(other)) << files.first().toStdString();
            placed.append(area);
        }

        const QImage panel = picture(u"display.gif"_s);
        const QRect display(s.SVDisplay->left / 15, s.SVDisplay->top / 15, panel.width(),
                            panel.height());
        const SkinList& list = *s.Control_List;
        const QRect listArea = pixels(list.top, list.left, list.width, list.height);
        const QRect web(s.Zuvwww->left / 15, s.Zuvwww->top / 15, picture(u"zuv.gif"_s).width(),
                        picture(u"zuv.gif"_s).height());
        // The list lies under the display in the window: they must not meet.
        EXPECT_FALSE(listArea.intersects(display));
        EXPECT_TRUE(window.contains(listArea) && window.contains(display) && window.contains(web));
        EXPECT_GE(contrast(skinColor(list.backColour), skinColor(list.textColour)), 4.5);

        const SkinStatus& st = *s.InfoStatus;
        const std::pair<const char*, std::pair<QRect, int>> labels[] = {
            {"InfoName",
             {pixels(s.InfoName->top, s.InfoName->left, s.InfoName->width, s.InfoName->height),
              s.InfoName->textColour}},
            {"InfoTime",
             {pixels(s.InfoTime->top, s.InfoTime->left, s.InfoTime->width, s.InfoTime->height),
              s.InfoTime->textColour}},
            {"InfoNaladit",
             {pixels(s.InfoNaladit->top, s.InfoNaladit->left, s.InfoNaladit->width,
                     s.InfoNaladit->height),
              s.InfoNaladit->textColour}},
            {"InfoStatus 1",
             {pixels(st.firstTop, st.left, st.width, st.firstHeight), st.textColour}},
            {"InfoStatus 2",
             {pixels(st.secondTop, st.left, st.width, st.secondHeight), st.textColour}},
        };
        for (const auto& [what, label] : labels) {
            const auto& [area, colour] = label;
            // The texts are shown on the display panel.
            EXPECT_TRUE(display.contains(area)) << what;
            const QColor under = panel.pixelColor(area.center() - display.topLeft());
            EXPECT_GE(contrast(under, skinColor(colour)), 4.5) << what;
        }
    }
}
