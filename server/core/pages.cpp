#include "pages.h"

#include "auth.h"
#include "html.h"
#include "messages.h"
#include "messagetext.h"
#include "pagekit.h"
#include "presence.h"

#include <algorithm>
#include <foundation/loginlink.h>

namespace zuv::server::Pages {
namespace {

QString sexName(const QString& code)
{
    if (code == QStringLiteral("z"))
        return QStringLiteral("žena");
    if (code == QStringLiteral("m"))
        return QStringLiteral("muž");
    return {};
}

// A stored message as a person reads it.
QString messageHtml(const QString& stored)
{
    QStringList lines = MessageText::unescape(stored).split(u'\n');
    for (QString& line : lines)
        line = Html::escape(line);
    return lines.join(QStringLiteral("<br>"));
}

} // namespace

Reply whois(Sql& db, const Query& query, const Context& ctx)
{
    const QString title = QStringLiteral("Informace o uživateli");
    const auto m = namedMember(db, text(query, "id"));
    if (!m || m->suspended)
        return paragraph(title, QStringLiteral("Uživatel nebyl nalezen."));
    const bool online = isOnline(*m, onlineSince(ctx.now, ctx.config.intervals.active));
    const auto age = ageOn(m->profile.birthDate, today(ctx));
    Rows rows = {
        {QStringLiteral("Nick:"), Html::escape(m->profile.nickname)},
        {QStringLiteral("Zuv#:"), QString::number(m->number)},
        {QStringLiteral("Jméno:"), Html::escape(m->profile.firstName)},
        {QStringLiteral("Příjmení:"), Html::escape(m->profile.surname)},
        {QStringLiteral("Pohlaví:"), sexName(m->profile.sex)},
        {QStringLiteral("Věk:"), age ? QString::number(*age) : QString()},
        {QStringLiteral("Město:"), Html::escape(m->profile.town)},
        {QStringLiteral("Poznámky:"), Html::escape(m->profile.notes)},
        {QStringLiteral("Stav:"), online ? QStringLiteral("On-Line") : QStringLiteral("Off-Line")},
    };
    if (online) {
        rows.append({QStringLiteral("Nálada:"), Html::escape(m->mood)});
        if (m->mood == QStringLiteral("(:)") && !m->awayText.isEmpty())
            rows.append({QStringLiteral("Nepřítomen:"), Html::escape(m->awayText)});
    }
    return page(title + QStringLiteral(" ") + m->profile.nickname, Html::table(rows));
}

Reply inbox(Sql& db, const Query& query, const Context& ctx)
{
    const QString title = QStringLiteral("Schránka");
    const PageAuth auth = pageAuth(db, ctx, query, title);
    if (!auth.member)
        return auth.refusal;
    // Every message is handed to the messenger by the next refresh.
    return paragraph(title, QStringLiteral("Ve schránce nemáte žádné nepřijaté zprávy."));
}

Reply sendFile(Sql& db, const Query& query, const Context& ctx)
{
    const QString title = QStringLiteral("Odeslat soubor");
    const PageAuth auth = pageAuth(db, ctx, query, title);
    if (!auth.member)
        return auth.refusal;
    const auto contact = namedMember(db, text(query, "to"));
    if (!contact)
        return paragraph(title, QStringLiteral("Uživatel nebyl nalezen."));
    return paragraph(title + QStringLiteral(": ") + contact->profile.nickname,
                     QStringLiteral("Posílání souborů tento server nenabízí."));
}

Reply birthdays(Sql& db, const Query& query, const Context& ctx)
{
    const QString title = QStringLiteral("Narozeniny přátel");
    const PageAuth auth = pageAuth(db, ctx, query, title);
    if (!auth.member)
        return auth.refusal;
    struct Upcoming
    {
        QDate next;
        QString nickname;
        int turns;
    };
    const QDate now = today(ctx);
    QList<Upcoming> upcoming;
    for (const Member& m : Members::contactsOf(db, auth.member->number)) {
        const QDate born = QDate::fromString(m.profile.birthDate, Qt::ISODate);
        if (!born.isValid())
            continue;
        // 29 February counts as 1 March in other years.
        auto on = [&](int year) {
            QDate d(year, born.month(), born.day());
            return d.isValid() ? d : QDate(year, 3, 1);
        };
        QDate next = on(now.year());
        if (next < now)
            next = on(now.year() + 1);
        upcoming.append({next, m.profile.nickname, next.year() - born.year()});
    }
    if (upcoming.isEmpty())
        return paragraph(title, QStringLiteral("Nikdo z vašich přátel nezadal datum narození."));
    std::sort(upcoming.begin(), upcoming.end(),
              [](const Upcoming& a, const Upcoming& b) { return a.next < b.next; });
    Rows rows;
    for (const Upcoming& u : upcoming)
        rows.append({u.next.toString(QStringLiteral("d. M. yyyy")),
                     QStringLiteral("%1 (%2 let)")
                         .arg(Html::escape(u.nickname), QString::number(u.turns))});
    return page(title, Html::table(rows));
}

Reply history(Sql& db, const Query& query, const Context& ctx)
{
    const QString title = QStringLiteral("Historie zpráv");
    const PageAuth auth = pageAuth(db, ctx, query, title);
    if (!auth.member)
        return auth.refusal;
    const QList<Message> messages = Messages::history(db, auth.member->number, kHistoryLength);
    if (messages.isEmpty())
        return paragraph(title, QStringLiteral("Zatím jste si s nikým nepsali."));
    QString body = QStringLiteral("<table>\n");
    for (const Message& m : messages) {
        const bool mine = m.sender == auth.member->number;
        QString other;
        if (mine) {
            const auto recipient = Members::byNumber(db, m.recipient);
            other = recipient ? recipient->profile.nickname : QString::number(m.recipient);
        }
        body += QStringLiteral("<tr><td>%1</td><td>%2</td><td>%3</td></tr>\n")
                    .arg(formatTime(m.sent),
                         mine ? QStringLiteral("» ") + Html::escape(other)
                              : QStringLiteral("« ") + Html::escape(m.senderNick),
                         messageHtml(m.text));
    }
    return page(title, body + QStringLiteral("</table>"));
}

Reply newVersion(Sql&, const Query& query, const Context& ctx)
{
    return paragraph(QStringLiteral("Nová verze"),
                     QStringLiteral("Vaše verze: %1. Nejnovější verze na tomto serveru: %2.")
                         .arg(text(query, "build"), QString::number(ctx.config.build)));
}

Reply freeMusic(Sql&, const Query&, const Context&)
{
    return paragraph(QStringLiteral("Zuv FreeMusic"),
                     QStringLiteral("Hudba ke stažení na tomto serveru není."));
}

Reply discussion(Sql&, const Query& query, const Context&)
{
    return paragraph(QStringLiteral("Diskuze k rádiové stanici ") + text(query, "tid"),
                     QStringLiteral("K této stanici zatím nikdo nic nenapsal."));
}

Reply addStation(Sql&, const Query&, const Context&)
{
    return paragraph(QStringLiteral("Přidat nové rádio"),
                     QStringLiteral("Nová rádia tento server nepřijímá."));
}

Reply loginLink(Sql& db, const QString& number, const QString& code, const Context& ctx)
{
    const QString title = QStringLiteral("Přihlášení do sítě Zuv");
    // Only hashes are stored, so the code is turned back into the password
    // and checked as any other login, counted against guessing alike.
    const auto password = LoginLink::password(code);
    const Authenticated auth = parseNumber(number) && password
                                   ? authenticate(db, ctx, number, *password)
                                   : Authenticated{};
    if (auth.result == Authenticated::Suspended)
        return paragraph(title,
                         QStringLiteral("Přihlášení se nezdařilo: váš účet byl pozastaven."));
    if (auth.result != Authenticated::Ok)
        return paragraph(title, QStringLiteral("Přihlášení se nezdařilo. Zkontrolujte své Zuv "
                                               "číslo a heslo."));

    const Member& m = *auth.member;
    const bool online = isOnline(m, onlineSince(ctx.now, ctx.config.intervals.active));
    const auto age = ageOn(m.profile.birthDate, today(ctx));
    Rows rows = {
        {QStringLiteral("Nick:"), Html::escape(m.profile.nickname)},
        {QStringLiteral("Zuv#:"), QString::number(m.number)},
        {QStringLiteral("Jméno:"), Html::escape(m.profile.firstName)},
        {QStringLiteral("Příjmení:"), Html::escape(m.profile.surname)},
        {QStringLiteral("Pohlaví:"), sexName(m.profile.sex)},
        {QStringLiteral("Datum narození:"), Html::escape(m.profile.birthDate)},
        {QStringLiteral("Věk:"), age ? QString::number(*age) : QString()},
        {QStringLiteral("Město:"), Html::escape(m.profile.town)},
        {QStringLiteral("Poznámky:"), Html::escape(m.profile.notes)},
        {QStringLiteral("Stav:"), online ? QStringLiteral("On-Line") : QStringLiteral("Off-Line")},
    };
    if (online)
        rows.append({QStringLiteral("Nálada:"), Html::escape(m.mood)});
    if (!m.awayText.isEmpty())
        rows.append({QStringLiteral("Text při nepřítomnosti:"), Html::escape(m.awayText)});
    // The page shows no password: editing asks for it again.
    const QString edit = Html::form(QStringLiteral("/zuv/edit.php"),
                                    {{QStringLiteral("edit"), QString::number(m.number)},
                                     {QStringLiteral("idh"), QString::number(m.number)},
                                     {QStringLiteral("zuvbrowser"), QStringLiteral("on")}},
                                    Html::input(QStringLiteral("Pro úpravu údajů zadejte heslo:"),
                                                QStringLiteral("h"), {}, true),
                                    QStringLiteral("Upravit údaje"));
    return page(
        QStringLiteral("Zuvnet: %1 [%2]").arg(m.profile.nickname, QString::number(m.number)),
        Html::table(rows) + QStringLiteral("\n") + edit +
            QStringLiteral("\n<p><a href=\"/faq\">Nápověda</a></p>"));
}

Reply help(Sql&, const Query&, const Context&)
{
    const std::pair<const char16_t*, const char16_t*> sections[] = {
        {u"Zuv",
         u"Zuv ukazuje seznam vašich kontaktů: kdo je právě on-line a jakou má náladu. Přes Zuv "
         u"si s nimi píšete zprávy; zprávu pro kontakt, který je off-line, server podrží, dokud "
         u"se znovu nepřipojí. Z menu Zuv se spouštějí i ostatní programy."},
        {u"Rádio Sorvanta",
         u"Přehrávač hraje internetová rádia z katalogu stanic na serveru. Katalog se prochází "
         u"podle žánru a kvality, oblíbené stanice si uložíte do seznamu. Ostatní vidí, kterou "
         u"stanici posloucháte, a ve vyhledávání můžete najít posluchače stejné stanice."},
        {u"Nahrávač ZuvRecorder",
         u"Nahrávač zaznamenává zvuk ze zvukové karty, třeba právě hrající rádio, do souborů "
         u"MP3 nebo WAV a ukládá k nim informace o skladbě. Nahrávky najdete v hudební knihovně, "
         u"ze které si můžete sestavit playlist."},
        {u"Kontrola pošty Postrel",
         u"Postrel v pravidelných intervalech zjišťuje, kolik nových zpráv čeká ve vašich "
         u"e-mailových schránkách (POP3), a dá vám vědět, když nějaká přijde."},
        {u"Jak přidat kontakt",
         u"V menu zvolte „Vyhledat uživatele“ a hledejte podle nicku, Zuv čísla, jména, města, "
         u"věku nebo poslouchaného rádia. Na nalezeného uživatele klikněte pravým tlačítkem a "
         u"vyberte „Přidej do seznamu“. Od té chvíle ho uvidíte ve svém seznamu kontaktů."},
        {u"Jak psát zprávy",
         u"Poklepejte na kontakt v seznamu, nebo na něj klikněte pravým tlačítkem a vyberte "
         u"„Poslat zprávu“. Otevře se okno rozhovoru: napište text a stiskněte „Odeslat“ (nebo "
         u"Ctrl+Enter). Odpovědi přicházejí do téhož okna, starší zprávy najdete v menu pod "
         u"„Historie zpráv“."},
        {u"Jak změnit náladu",
         u"Klikněte na tlačítko „Status“ v okně Zuv (nebo pravým tlačítkem na ikonu Zuv u hodin) "
         u"a vyberte náladu. "
         u"„Nepřítomen“ ukáže ostatním váš text o nepřítomnosti, „OffLine“ vás před nimi "
         u"skryje."},
    };
    QString body;
    for (const auto& [heading, text] : sections)
        body += QStringLiteral("<h2>%1</h2>\n<p>%2</p>\n")
                    .arg(Html::escape(QString::fromUtf16(heading)),
                         Html::escape(QString::fromUtf16(text)));
    return page(QStringLiteral("Nápověda k programům Zuv"), body);
}

Reply recordingHelp(Sql&, const Query&, const Context&)
{
    const char16_t* paragraphs[] = {
        u"Nahrávač zaznamenává zvuk, který právě hraje počítač: na Linuxu je to monitor "
        u"výchozího výstupu PulseAudio (v nastavení zvuku „Monitor of …“). Jiný zdroj, třeba "
        u"mikrofon, zvolíte v nastavení zvuku na kartě Nahrávání.",
        u"Nahrává se všechno, co počítač hraje, tedy i zvuky ostatních programů. Během "
        u"nahrávání je proto vypněte.",
        u"Hlasitost nastavte spíše nižší: příliš hlasitý zvuk se při nahrávání zkreslí a "
        u"nahrávka pak zní nekvalitně.",
        u"Nahrávky se ukládají do složky Music vedle programu. Po skončení nahrávání k souboru "
        u"uložte název, autora a album; podle nich je hudební knihovna seřadí.",
    };
    QString body;
    for (const char16_t* text : paragraphs)
        body += QStringLiteral("<p>%1</p>\n").arg(Html::escape(QString::fromUtf16(text)));
    return page(QStringLiteral("Nápověda - nastavení nahrávání"), body);
}

Reply advert(Sql&, const Query&, const Context&)
{
    // The strip is a few lines high and shows no more than a notice.
    return paragraph(QStringLiteral("Zuv rádia"),
                     QStringLiteral("Poslouchejte s námi: v katalogu Zuv najdete rádia všech "
                                    "žánrů."));
}

} // namespace zuv::server::Pages
