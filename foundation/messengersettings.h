#pragma once

#include "optionsfile.h"

#include <QString>

namespace zuv {

// The messenger's lines of options.ini, read with their defaults and saved
// with its rules for window geometry.
struct MessengerSettings
{
    QString Zuvid;
    QString Zuvpass;
    QString Zuvnick;
    QString Zuvnalada;
    QString Zuvmode;
    QString Zuvspeed;
    QString Zuvzobrazeni;
    QString Zuvtree;
    QString ZuvsvStart;
    QString Zuv; // "off": no start with the desktop session
    QString Zuvrezim;
    QString PostrelRun;
    QString ZuvHeight;
    QString ZuvFx;
    QString ZuvFy;
    QString Zuvset;
    // Zuvset split at "@".
    QString FontSize;
    QString SoundFlag;

    // Window geometry in twips as the window has it at save time.
    struct Geometry
    {
        int height = 0;
        int left = 0;
        int top = 0;
    };

    // Values of a loaded file; an empty mood becomes ":)" and an empty chat
    // setting "11@1".
    static MessengerSettings read(const OptionsFile& file);

    // Saves the messenger's lines. A height below 1000 twips keeps the stored
    // height, a left or top edge below -50 twips (a minimised window) keeps
    // the stored position. Updates ZuvHeight/ZuvFx/ZuvFy to what was written.
    bool save(OptionsFile& file, const Geometry& window);
};

} // namespace zuv
