#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace zuv::messenger {

// What the search window's fields hold, as typed.
struct SearchForm
{
    QString id;
    QString ageFrom;
    QString ageTo;
    QString nick;
    bool onlineOnly = false;
    bool listeningOnly = false;
    QString station; // empty unless the search is by station
    QString firstName;
    QString surname;
    QString sex; // "z", "m" or empty
    QString notes;
    QString town;
};

// The age limits a search sends: a missing upper limit is "100", a missing
// lower one "0"; both missing send nothing.
struct AgeLimits
{
    QString from;
    QString to;
    bool limited() const { return !from.isEmpty() || !to.isEmpty(); }
};
AgeLimits searchAgeLimits(const QString& from, const QString& to);

// The notice shown once per window when a search is limited by age.
QString ageNotice(const AgeLimits& ages);

// The search address after the base address and before "/@/". A value is
// sent as typed, except for the few characters that would change the
// request itself ("&", "#", "+", "%" and the field separator "/@/"), which
// go percent-encoded.
QString searchUrl(const QString& serverBase, const QString& ownId, const QString& password,
                  const SearchForm& form);

// The user-add request.
QString userAddUrl(const QString& serverBase, const QString& ownId, const QString& password,
                   const QString& number);

// One line of search.tt.
enum class SearchLine
{
    Add,  // a result record follows
    Next, // the next page's address after "/zuv/"
    Num,  // the number of members found
    Svs,  // the station whose listeners are shown
    Other,
};
struct ClassifiedSearchLine
{
    SearchLine kind = SearchLine::Other;
    QString value; // the text after the marker
};
ClassifiedSearchLine classifySearchLine(const QString& line);

// The caption of the listeners' station, empty for none.
QString listenersCaption(const QString& station);

// A result: twelve fields joined by "/@/".
struct SearchResult
{
    QString number;
    QString mood; // "off" or a mood
    QString nick;
    QString firstName;
    QString surname;
    QString age;
    QString player;
    QString station;
    QString sex;
    QString town;
};
// Nothing when the record lacks fields or its number is not a member number.
std::optional<SearchResult> parseSearchResult(const QString& record);

// The picture of a result's mood: "off", "s0" … "s4"; an unknown mood "off".
QString resultImageKey(const QString& mood);

// The values of a remote search, "|" between them, each with every "*x" gone.
QStringList remoteSearchValues(const QString& text);

// The server's answer to an addition.
enum class UserAddAnswer
{
    NotAdded, // "noadd//"
    Exists,   // "exist//"
    Added,    // "nick//" + nickname
    Other,
};
struct ClassifiedUserAdd
{
    UserAddAnswer kind = UserAddAnswer::Other;
    QString nick;
};
ClassifiedUserAdd classifyUserAddLine(const QString& line);

} // namespace zuv::messenger
