#pragma once

#include "password.h"
#include "sql.h"

#include <QDate>
#include <QList>
#include <QString>
#include <optional>

namespace zuv::server {

inline constexpr int kFirstNumber = 100000;
inline constexpr int kLastNumber = 999999;

// What a member tells about themselves; all of it but the nickname may be empty.
struct Profile
{
    QString nickname;
    QString firstName;
    QString surname;
    QString sex;       // "z" or "m"
    QString birthDate; // yyyy-mm-dd
    QString town;
    QString notes;
};

struct Member
{
    int number = 0;
    Profile profile;
    PasswordHash password;
    QString awayText;
    QString mood;    // "(:)", ":))", ":)", ":|", ":(" or "off"
    QString radio;   // "on" while the member's radio player runs
    QString station; // the station the member last reported listening to
    bool suspended = false;
    bool robot = false;
    qint64 lastRefresh = 0;
};

// What each refresh reports about the member.
struct RefreshState
{
    std::optional<QString> mood;
    std::optional<QString> radio;
    std::optional<QString> mode;
    std::optional<QString> withSystem;
};

namespace Members {

std::optional<Member> byNumber(Sql& db, int number);
// Nicknames are unique regardless of letter case.
std::optional<Member> byNickname(Sql& db, const QString& nickname);
QList<Member> all(Sql& db);
// The members in the contact list of `owner`, by number.
QList<Member> contactsOf(Sql& db, int owner);

// Adds a member under `preferred` when that number is free, else under the
// next free number. Returns the number, or nothing when the nickname is taken
// or the numbers have run out.
std::optional<int> create(Sql& db, const Profile& profile, const QString& password,
                          int preferred = 0, bool robot = false);

void updateProfile(Sql& db, int number, const Profile& profile);
void setAwayText(Sql& db, int number, const QString& text);
void setPassword(Sql& db, int number, const PasswordHash& password);
void recordRefresh(Sql& db, int number, const RefreshState& state, qint64 now);
void recordListening(Sql& db, int number, const QString& station);
void setSuspended(Sql& db, int number, bool suspended);

// Sets every member's search keys from their stored fields, for a file from
// before the keys were kept.
void fillSearchKeys(Sql& db);

// Members on line by the rule of onlineSince() (presence.h).
int countOnline(Sql& db, qint64 since);

} // namespace Members

// The key that makes "Eva" and "eva" one nickname.
QString nicknameKey(const QString& nickname);

// The form a search compares texts in: SQLite folds only ASCII letters, so
// the fields a search looks into are kept folded beside them ("*_key").
QString searchKey(const QString& text);

// Why a nickname cannot be used, or empty when it can.
QString nicknameProblem(const QString& nickname);

// A member number written as six digits in range, or nothing.
std::optional<int> parseNumber(const QString& text);

// Whole years on `today`, or nothing when the birth date is not given.
std::optional<int> ageOn(const QString& birthDate, const QDate& today);

// A mood as the messenger sets it: unknown values count as ":)".
QString normalisedMood(const QString& mood);

} // namespace zuv::server
