#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace zuv::messenger {

// What the login dialog takes from "zuvlogin.tt", line by line.
struct LoginReply
{
    std::optional<QString> number;  // "zuvid:" the stored number
    std::optional<QString> welcome; // "zuvok:" shown, then the dialog closes
    QStringList refusals;           // "zuvx:" each shown, the dialog stays
};

LoginReply parseLoginReply(const QStringList& lines);

} // namespace zuv::messenger
