#include "playersettings.h"

namespace zuv::radio {

PlayerSettings PlayerSettings::read(const OptionsFile& file)
{
    PlayerSettings s;
    s.OwnId = file.value(OptionKeys::Zuvid);
    s.AuthH = file.value(OptionKeys::Zuvpass);
    s.Nick = file.value(OptionKeys::Zuvnick);
    s.OnTopFlag = file.value(OptionKeys::SVTop);
    const QString last = file.value(OptionKeys::SVLast);
    s.CurrentStationId = last.left(6);
    s.CurrentQuality = last.mid(7);
    s.AutoStartFlag = file.value(OptionKeys::SVautoStart);
    s.MessengerMode = file.value(OptionKeys::Zuv);
    s.VolumeText = file.value(OptionKeys::SVvolume);
    s.SkinName = file.value(OptionKeys::SVskin);
    s.WindowLeft = file.value(OptionKeys::SVpleft);
    s.WindowTop = file.value(OptionKeys::SVptop);
    return s;
}

bool PlayerSettings::save(OptionsFile& file) const
{
    return file.save({
        {OptionKeys::SVTop, OnTopFlag},
        {OptionKeys::SVLast, CurrentStationId + u'/' + CurrentQuality},
        {OptionKeys::SVautoStart, AutoStartFlag},
        {OptionKeys::SVvolume, VolumeText},
        {OptionKeys::SVskin, SkinName},
        {OptionKeys::SVpleft, WindowLeft},
        {OptionKeys::SVptop, WindowTop},
    });
}

} // namespace zuv::radio
