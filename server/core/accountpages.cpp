// The pages where members change what the server keeps about them.
#include "contacts.h"
#include "html.h"
#include "pagekit.h"
#include "pages.h"

namespace zuv::server::Pages {
namespace {

// Validates what a profile form sent; empty when all of it can be stored.
QString profileProblem(const Profile& p)
{
    if (!p.sex.isEmpty() && p.sex != QStringLiteral("z") && p.sex != QStringLiteral("m"))
        return QStringLiteral("Pohlaví zadejte jako z nebo m.");
    if (!p.birthDate.isEmpty() && !QDate::fromString(p.birthDate, Qt::ISODate).isValid())
        return QStringLiteral("Datum narození zadejte jako rrrr-mm-dd.");
    for (const QString* field : {&p.firstName, &p.surname, &p.town})
        if (field->size() > 64)
            return QStringLiteral("Jméno, příjmení a město smí mít nejvýše 64 znaků.");
    if (p.notes.size() > 2000)
        return QStringLiteral("Poznámky smí mít nejvýše 2000 znaků.");
    return {};
}

Profile profileFrom(const Query& query, const QString& nickname)
{
    return {nickname,
            text(query, "jmeno").trimmed(),
            text(query, "prijmeni").trimmed(),
            text(query, "pohlavi").trimmed(),
            text(query, "narozen").trimmed(),
            text(query, "mesto").trimmed(),
            text(query, "poznamky").trimmed()};
}

QString profileFields(const Profile& p)
{
    return Html::input(QStringLiteral("Jméno:"), QStringLiteral("jmeno"), p.firstName) +
           Html::input(QStringLiteral("Příjmení:"), QStringLiteral("prijmeni"), p.surname) +
           Html::input(QStringLiteral("Pohlaví (z/m):"), QStringLiteral("pohlavi"), p.sex) +
           Html::input(QStringLiteral("Datum narození (rrrr-mm-dd):"), QStringLiteral("narozen"),
                       p.birthDate) +
           Html::input(QStringLiteral("Město:"), QStringLiteral("mesto"), p.town) +
           Html::textArea(QStringLiteral("Poznámky:"), QStringLiteral("poznamky"), p.notes);
}

} // namespace

Reply note(Sql& db, const Query& query, const Context& ctx)
{
    const QString title = QStringLiteral("Moje poznámka");
    const PageAuth auth = pageAuth(db, ctx, query, title);
    if (!auth.member)
        return auth.refusal;
    const auto contact = namedMember(db, text(query, "user"));
    if (!contact)
        return paragraph(title, QStringLiteral("Uživatel nebyl nalezen."));
    QString saved;
    if (const auto newText = query.value(QStringLiteral("text"))) {
        if (newText->size() > 2000)
            return paragraph(title, QStringLiteral("Poznámka smí mít nejvýše 2000 znaků."));
        Contacts::setNote(db, auth.member->number, contact->number, *newText);
        saved = QStringLiteral("<p>Poznámka byla uložena.</p>\n");
    }
    Rows hidden = credentials(*auth.member, query);
    hidden.append({QStringLiteral("user"), QString::number(contact->number)});
    const QString current = Contacts::note(db, auth.member->number, contact->number);
    return page(title + QStringLiteral(": ") + contact->profile.nickname,
                saved + Html::form(QStringLiteral("/zuv/note.php"), hidden,
                                   Html::textArea(QStringLiteral("Poznámka:"),
                                                  QStringLiteral("text"), current),
                                   QStringLiteral("Uložit")));
}

Reply awayText(Sql& db, const Query& query, const Context& ctx)
{
    const QString title = QStringLiteral("Nepřítomen");
    const PageAuth auth = pageAuth(db, ctx, query, title);
    if (!auth.member)
        return auth.refusal;
    QString current = auth.member->awayText;
    QString saved;
    if (const auto newText = query.value(QStringLiteral("text"))) {
        if (newText->size() > 500)
            return paragraph(title, QStringLiteral("Text smí mít nejvýše 500 znaků."));
        Members::setAwayText(db, auth.member->number, *newText);
        current = *newText;
        saved = QStringLiteral("<p>Text byl uložen.</p>\n");
    }
    return page(title, saved +
                           QStringLiteral("<p>Text, který uvidí ostatní, když jste "
                                          "nepřítomen:</p>\n") +
                           Html::form(QStringLiteral("/zuv/autotext.php"),
                                      credentials(*auth.member, query),
                                      Html::textArea(QString(), QStringLiteral("text"), current),
                                      QStringLiteral("Uložit")));
}

Reply editProfile(Sql& db, const Query& query, const Context& ctx)
{
    const QString title = QStringLiteral("Úprava uživatelského účtu");
    const PageAuth auth = pageAuth(db, ctx, query, title);
    if (!auth.member)
        return auth.refusal;
    Profile profile = auth.member->profile;
    QString message;
    if (query.has(QStringLiteral("ulozit"))) {
        const Profile changed = profileFrom(query, profile.nickname);
        const QString problem = profileProblem(changed);
        if (problem.isEmpty()) {
            Members::updateProfile(db, auth.member->number, changed);
            message = QStringLiteral("Údaje byly uloženy.");
        } else {
            message = problem;
        }
        profile = changed;
    }
    Rows hidden = credentials(*auth.member, query);
    hidden.append({QStringLiteral("ulozit"), QStringLiteral("1")});
    const QString body =
        (message.isEmpty() ? QString() : QStringLiteral("<p>%1</p>\n").arg(Html::escape(message))) +
        Html::form(QStringLiteral("/zuv/edit.php"), hidden, profileFields(profile),
                   QStringLiteral("Uložit"));
    return page(
        QStringLiteral("%1 %2 [%3]")
            .arg(title, auth.member->profile.nickname, QString::number(auth.member->number)),
        body);
}

Reply registration(Sql& db, const Query& query, const Context&)
{
    const QString title = QStringLiteral("Registrace do sítě Zuv");
    const QString nickname = text(query, "nick").trimmed();
    const QString password = text(query, "heslo");
    QString problem;
    if (query.has(QStringLiteral("nick"))) {
        const Profile profile = profileFrom(query, nickname);
        problem = nicknameProblem(nickname);
        if (problem.isEmpty() && (password.isEmpty() || password.size() > 64))
            problem = QStringLiteral("Zadejte heslo o 1 až 64 znacích.");
        if (problem.isEmpty() && password != text(query, "heslo2"))
            problem = QStringLiteral("Hesla se neshodují.");
        if (problem.isEmpty())
            problem = profileProblem(profile);
        if (problem.isEmpty()) {
            if (const auto number = Members::create(db, profile, password)) {
                return paragraph(title, QStringLiteral("Registrace proběhla úspěšně. Vaše Zuv "
                                                       "číslo je %1, nick %2.")
                                            .arg(QString::number(*number), nickname));
            }
            problem = QStringLiteral("Tento nick již někdo používá.");
        }
    }
    const QString fields =
        Html::input(QStringLiteral("Nick:"), QStringLiteral("nick"), nickname) +
        Html::input(QStringLiteral("Heslo:"), QStringLiteral("heslo"), {}, true) +
        Html::input(QStringLiteral("Heslo znovu:"), QStringLiteral("heslo2"), {}, true) +
        profileFields(profileFrom(query, nickname));
    return page(
        title,
        (problem.isEmpty() ? QString() : QStringLiteral("<p>%1</p>\n").arg(Html::escape(problem))) +
            Html::form(QStringLiteral("/zuv/add_user.php"), {}, fields,
                       QStringLiteral("Zaregistrovat")));
}

} // namespace zuv::server::Pages
