// The player's favourite stations: the list built from list.tt and the
// catalog, and what a click on it does.
#include "core/favourites.h"
#include "core/skinfile.h"
#include "core/stationrecord.h"
#include "sorvanta.h"

#include <foundation/gui/messagebox.h>
#include <foundation/paths.h>

namespace zuv::radio {
namespace {

// The entry's whole text: the list shows its first 93 characters, the
// handlers read quality, id and address from the rest.
constexpr int kEntryRole = Qt::UserRole;

FavouriteEntry entryOf(const QListWidgetItem* item)
{
    return FavouriteEntry{item ? item->data(kEntryRole).toString() : QString()};
}

} // namespace

void Sorvanta::ZobrazOblibene()
{
    Control_List.clear();
    for (const QString& text : loadFavouriteEntries(programDir())) {
        auto* item = new QListWidgetItem(FavouriteEntry{text}.visible().trimmed(), &Control_List);
        item->setData(kEntryRole, text);
    }
    // Only while idle: while playing, the labels stay as the display left them.
    if (PlayTL.text() != u"Zapnout")
        return;
    const bool empty = Control_List.count() == 0;
    // With no favourites the tune-in label, and the display where the skin
    // wants it, stand in for the list.
    const SkinVisibility shown = skinVisibility(*m_skin, false, empty);
    Control_List.setVisible(shown.list);
    for (QLabel* label : {&InfoTime, &InfoStatus, &InfoName})
        label->hide();
    InfoNaladit.setVisible(empty);
    if (shown.display)
        SVDisplay.show();
}

void Sorvanta::Control_List_Click()
{
    const FavouriteEntry entry = entryOf(Control_List.currentItem());
    if (entry.text.isEmpty())
        return;
    m_settings.CurrentStationId = entry.stationId();
    m_settings.CurrentQuality = entry.quality();
    PripravHrani(entry.url());
    m_selectedFavourite = entry.key();
}

void Sorvanta::Control_List_DblClick()
{
    const FavouriteEntry entry = entryOf(Control_List.currentItem());
    if (!entry.text.isEmpty())
        PlayAll(entry.url());
}

void Sorvanta::DeleteFromOblibene(const QString& RadioDelete)
{
    if (!deleteFavourite(programDir(), RadioDelete))
        return;
    ZobrazOblibene();
    MsgBox(QStringLiteral("Rádio bylo ostraněno z oblíbených."), MsgButtons::Ok,
           MsgIcon::Information);
}

} // namespace zuv::radio
