// The skinned look of the player window: loading a skin, what shows in each
// play state, the volume picture and the list of skins.
#include "core/playback.h"
#include "core/skinfile.h"
#include "menus.h"
#include "sorvanta.h"

#include <QPalette>
#include <QPixmap>
#include <foundation/gui/pause.h>
#include <foundation/twips.h>

namespace zuv::radio {
namespace {

void setTextColour(QWidget& widget, int colour)
{
    QPalette palette = widget.palette();
    palette.setColor(QPalette::WindowText, skinColor(colour));
    palette.setColor(QPalette::Text, skinColor(colour));
    widget.setPalette(palette);
}

void placeLabel(QLabel& label, const SkinLabel& place)
{
    label.setGeometry(twipsToPixels(place.left), twipsToPixels(place.top),
                      twipsToPixels(place.width), twipsToPixels(place.height));
    setTextColour(label, place.textColour);
}

} // namespace

QString Sorvanta::skinPicturePath(const QString& file) const
{
    return skinPicture(m_settings.SkinName, file);
}

void Sorvanta::setPicture(QLabel& control, const QString& file)
{
    // A missing picture leaves the control with what it had.
    const QPixmap picture(skinPicturePath(file));
    if (picture.isNull())
        return;
    control.setPixmap(picture);
    control.resize(picture.size());
}

void Sorvanta::LoadSkin(const QString& SkinNames)
{
    // A skin the options name but the folder lacks gives way to the first one
    // listed: the window needs a readable skin to be usable at all.
    const QString listed = pickSkin(skinNames(skinFolder()), SkinNames);
    m_settings.SkinName = listed.isEmpty() ? SkinNames : listed;
    for (QWidget* control : std::initializer_list<QWidget*>{
             &LineMenu_OnTop, &LineMenu_Min, &LineMenu_End, &Control_Play, &Control_Rec,
             &Control_ShowUser, &Control_Menu, &Control_Sat, &Control_Volume, &Control_List,
             &SVDisplay, &Zuvwww})
        control->hide();
    *m_skin = readSkin(skinFile(m_settings.SkinName)).value_or(Skin{});
    DoEvents();
    applySkin();
    ZobrazCoMas();
    NactiSeznamSkinu(m_settings.SkinName);
    // A volume never saved plays at full volume rather than muted.
    VolumeSet(volumeFromText(m_settings.VolumeText).value_or(100));
    ZobrazOblibene();
}

void Sorvanta::applySkin()
{
    const Skin& skin = *m_skin;
    if (skin.SVform) {
        setFixedSize(twipsToPixels(skin.SVform->width), twipsToPixels(skin.SVform->height));
        const QPixmap background(skinPicturePath(QStringLiteral("form.gif")));
        if (!background.isNull()) {
            QPalette palette = this->palette();
            palette.setBrush(QPalette::Window, background);
            setPalette(palette);
        }
    }
    const struct
    {
        QLabel& control;
        const SkinButton& place;
        QString picture;
    } buttons[] = {
        {LineMenu_OnTop, skin.LineMenu_OnTop,
         m_settings.OnTopFlag == u"0" ? QStringLiteral("otn.gif") : QStringLiteral("ot.gif")},
        {LineMenu_Min, skin.LineMenu_Min, QStringLiteral("min.gif")},
        {LineMenu_End, skin.LineMenu_End, QStringLiteral("end.gif")},
        {Control_Play, skin.Control_Play, QStringLiteral("play.gif")},
        {Control_Rec, skin.Control_Rec, QStringLiteral("rec.gif")},
        {Control_ShowUser, skin.Control_ShowUser, QStringLiteral("show.gif")},
        {Control_Menu, skin.Control_Menu, QStringLiteral("menu.gif")},
        {Control_Sat, skin.Control_Sat, QStringLiteral("sat.gif")},
        {Control_Volume, skin.Control_Volume, QString()}, // the level's picture, by SkinVolume
    };
    for (const auto& button : buttons) {
        button.control.setVisible(button.place.shown);
        if (!button.place.shown)
            continue;
        button.control.move(twipsToPixels(button.place.left), twipsToPixels(button.place.top));
        if (!button.picture.isEmpty())
            setPicture(button.control, button.picture);
        button.control.raise();
    }
    if (skin.Control_List) {
        const SkinList& list = *skin.Control_List;
        Control_List.setGeometry(twipsToPixels(list.left), twipsToPixels(list.top),
                                 twipsToPixels(list.width), twipsToPixels(list.height));
        QPalette palette = Control_List.palette();
        palette.setColor(QPalette::Base, skinColor(list.backColour));
        palette.setColor(QPalette::Text, skinColor(list.textColour));
        Control_List.setPalette(palette);
    }
    if (skin.SVDisplay) {
        SVDisplay.move(twipsToPixels(skin.SVDisplay->left), twipsToPixels(skin.SVDisplay->top));
        setPicture(SVDisplay, QStringLiteral("display.gif"));
        SVDisplay.lower();
    }
    if (skin.Zuvwww) {
        Zuvwww.move(twipsToPixels(skin.Zuvwww->left), twipsToPixels(skin.Zuvwww->top));
        setPicture(Zuvwww, QStringLiteral("zuv.gif"));
    }
    if (skin.InfoName)
        placeLabel(InfoName, *skin.InfoName);
    if (skin.InfoTime)
        placeLabel(InfoTime, *skin.InfoTime);
    if (skin.InfoNaladit)
        placeLabel(InfoNaladit, *skin.InfoNaladit);
    if (skin.InfoStatus) {
        InfoStatus.setWordWrap(true);
        setTextColour(InfoStatus, skin.InfoStatus->textColour);
        placeStatus();
    }
    for (QLabel* label : {&InfoName, &InfoTime, &InfoStatus, &InfoNaladit})
        label->raise();
}

void Sorvanta::placeStatus()
{
    if (!m_skin->InfoStatus)
        return;
    const SkinStatus& status = *m_skin->InfoStatus;
    const StatusPlace place = statusPlace(status, m_positionText);
    InfoStatus.setGeometry(twipsToPixels(status.left), twipsToPixels(place.top),
                           twipsToPixels(status.width), twipsToPixels(place.height));
}

void Sorvanta::ZobrazCoMas()
{
    const bool playing = PlayTL.text() == u"Stop";
    const SkinVisibility shown = skinVisibility(*m_skin, playing, Control_List.count() == 0);
    setPicture(Control_Play, shown.playPicture);
    Control_List.setVisible(shown.list);
    SVDisplay.setVisible(shown.display);
    Zuvwww.setVisible(shown.web);
}

void Sorvanta::SkinVolume(int VolValue)
{
    const std::optional<int> level = radio::volumeLevel(VolValue);
    if (!level)
        return;
    m_volumeLevel = *level;
    setPicture(Control_Volume, QStringLiteral("vol%1.gif").arg(*level));
    for (int other = 0; other <= 5; ++other)
        menus().Volume[other]->setChecked(other == *level);
}

QStringList Sorvanta::NactiSeznamSkinu(const QString& VybranySkin)
{
    m_skinNames = skinNames(skinFolder());
    m_checkedSkin.clear();
    for (const QString& name : std::as_const(m_skinNames))
        if (name.compare(VybranySkin, Qt::CaseInsensitive) == 0)
            m_checkedSkin = name;
    menus().setSkins(m_skinNames, VybranySkin);
    return m_skinNames;
}

} // namespace zuv::radio
