#pragma once

#include <QLatin1StringView>
#include <QStringList>

namespace zuv {

// One line of a positional settings file: where it stands and the prefix
// ("#NNN:key:") cut off before its value.
struct OptionKey
{
    int position;
    QLatin1StringView prefix;
};

namespace OptionKeys {
using namespace Qt::StringLiterals;
// Lines no program reads; carried along unchanged.
inline constexpr OptionKey Reserved0{0, "#000:Rezerva:"_L1};
inline constexpr OptionKey Reserved1{1, "#001:Rezerva:"_L1};
inline constexpr OptionKey Reserved2{2, "#002:Rezerva:"_L1};
inline constexpr OptionKey Reserved3{3, "#003:Rezerva:"_L1};
inline constexpr OptionKey Reserved4{4, "#004:Rezerva:"_L1};
inline constexpr OptionKey Zuvid{5, "#005:Zuvid:"_L1};
inline constexpr OptionKey Zuvpass{6, "#006:Zuvpass:"_L1};
inline constexpr OptionKey Zuvnick{7, "#007:Zuvnick:"_L1};
inline constexpr OptionKey Zuvnalada{8, "#008:Zuvnalada:"_L1};
inline constexpr OptionKey Zuvmode{9, "#009:Zuvmode:"_L1};
inline constexpr OptionKey Zuvspeed{10, "#010:Zuvspeed:"_L1};
inline constexpr OptionKey SVTop{11, "#011:SVTop:"_L1};
inline constexpr OptionKey SVLast{12, "#012:SVLast:"_L1};
inline constexpr OptionKey SVautoStart{13, "#013:SVautoStart:"_L1};
inline constexpr OptionKey Zuvzobrazeni{14, "#014:Zuvzobrazeni:"_L1};
inline constexpr OptionKey Zuvtree{15, "#015:Zuvtree:"_L1};
inline constexpr OptionKey ZuvsvStart{16, "#016:ZuvsvStart:"_L1};
inline constexpr OptionKey Reserved17{17, "#017:Rezerva:"_L1};
inline constexpr OptionKey Zuv{18, "#018:Zuv:"_L1};
inline constexpr OptionKey Zuvrezim{19, "#019:Zuvrezim:"_L1};
inline constexpr OptionKey SVvolume{20, "#020:SVvolume:"_L1};
inline constexpr OptionKey SVskin{21, "#021:SVskin:"_L1};
inline constexpr OptionKey SVpleft{22, "#022:SVpleft:"_L1};
inline constexpr OptionKey SVptop{23, "#023:SVptop:"_L1};
inline constexpr OptionKey PostrelRun{24, "#024:PostrelRun:"_L1};
inline constexpr OptionKey Reserved25{25, "#025:Rezerva:"_L1};
inline constexpr OptionKey ZuvHeight{26, "#026:ZuvHeight:"_L1};
inline constexpr OptionKey ZuvFx{27, "#027:ZuvFx:"_L1};
inline constexpr OptionKey ZuvFy{28, "#028:ZuvFy:"_L1};
inline constexpr OptionKey Zuvset{29, "#029:Zuvset:"_L1};

inline constexpr int Count = 30;
} // namespace OptionKeys

// The 30 key prefixes of options.ini in order, each with an empty value.
QStringList defaultOptionLines();

} // namespace zuv
