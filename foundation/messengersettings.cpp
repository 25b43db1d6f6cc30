#include "messengersettings.h"

namespace zuv {

MessengerSettings MessengerSettings::read(const OptionsFile& file)
{
    MessengerSettings s;
    s.Zuvid = file.value(OptionKeys::Zuvid);
    s.Zuvpass = file.value(OptionKeys::Zuvpass);
    s.Zuvnick = file.value(OptionKeys::Zuvnick);
    s.Zuvnalada = file.value(OptionKeys::Zuvnalada);
    s.Zuvmode = file.value(OptionKeys::Zuvmode);
    s.Zuvspeed = file.value(OptionKeys::Zuvspeed);
    s.Zuvzobrazeni = file.value(OptionKeys::Zuvzobrazeni);
    s.Zuvtree = file.value(OptionKeys::Zuvtree);
    s.ZuvsvStart = file.value(OptionKeys::ZuvsvStart);
    s.Zuv = file.value(OptionKeys::Zuv);
    s.Zuvrezim = file.value(OptionKeys::Zuvrezim);
    s.PostrelRun = file.value(OptionKeys::PostrelRun);
    s.ZuvHeight = file.value(OptionKeys::ZuvHeight);
    s.ZuvFx = file.value(OptionKeys::ZuvFx);
    s.ZuvFy = file.value(OptionKeys::ZuvFy);
    s.Zuvset = file.value(OptionKeys::Zuvset);

    if (s.Zuvnalada.isEmpty())
        s.Zuvnalada = QStringLiteral(":)");
    if (s.Zuvset.isEmpty())
        s.Zuvset = QStringLiteral("11@1");
    s.FontSize = s.Zuvset.section(u'@', 0, 0);
    s.SoundFlag = s.Zuvset.section(u'@', 1, 1);
    return s;
}

bool MessengerSettings::save(OptionsFile& file, const Geometry& window)
{
    // The stored geometry is the one in the file as it is now.
    OptionsFile stored(file.path());
    stored.load();
    ZuvHeight = window.height >= 1000 ? QString::number(window.height)
                                      : stored.value(OptionKeys::ZuvHeight);
    ZuvFx = window.left < -50 ? stored.value(OptionKeys::ZuvFx) : QString::number(window.left);
    ZuvFy = window.top < -50 ? stored.value(OptionKeys::ZuvFy) : QString::number(window.top);

    return file.save({
        {OptionKeys::Zuvid, Zuvid},
        {OptionKeys::Zuvpass, Zuvpass},
        {OptionKeys::Zuvnick, Zuvnick},
        {OptionKeys::Zuvnalada, Zuvnalada},
        {OptionKeys::Zuvmode, Zuvmode},
        {OptionKeys::Zuvspeed, Zuvspeed},
        {OptionKeys::Zuvzobrazeni, Zuvzobrazeni},
        {OptionKeys::Zuvtree, Zuvtree},
        {OptionKeys::ZuvsvStart, ZuvsvStart},
        {OptionKeys::Zuv, Zuv},
        {OptionKeys::Zuvrezim, Zuvrezim},
        {OptionKeys::PostrelRun, PostrelRun},
        {OptionKeys::ZuvHeight, ZuvHeight},
        {OptionKeys::ZuvFx, ZuvFx},
        {OptionKeys::ZuvFy, ZuvFy},
        {OptionKeys::Zuvset, Zuvset},
    });
}

} // namespace zuv
