#pragma once

#include <QString>
#include <foundation/optionsfile.h>

namespace zuv::radio {

// The radio player's lines of options.ini. A file with fewer lines reads
// its missing values as empty.
struct PlayerSettings
{
    QString OwnId;
    QString AuthH;
    QString Nick;
    QString OnTopFlag;
    QString CurrentStationId;
    QString CurrentQuality;
    QString AutoStartFlag;
    QString MessengerMode;
    QString VolumeText;
    QString SkinName;
    QString WindowLeft;
    QString WindowTop;

    // Line 12 is cut at fixed characters: six for the id, the quality from
    // the eighth character of the value on ("123456/3").
    static PlayerSettings read(const OptionsFile& file);

    // Writes the player's own lines (11, 12, 13, 20 to 23) and nothing else.
    bool save(OptionsFile& file) const;
};

} // namespace zuv::radio
