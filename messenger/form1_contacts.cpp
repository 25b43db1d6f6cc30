// The main window's contact list: the tree and list views, the contact
// menu, removing a contact, the own mood and the chat settings.
#include "core/records.h"
#include "core/requests.h"
#include "core/search.h"
#include "form1.h"

#include <QFile>
#include <QFont>
#include <foundation/gui/messagebox.h>
#include <foundation/paths.h>
#include <foundation/shell.h>
#include <foundation/textfile.h>
#include <utility>

namespace zuv::messenger {
namespace {

constexpr int kKeyRole = Qt::UserRole;

QTreeWidgetItem* newNode(const QString& key, const QString& text, const QIcon& icon)
{
    auto* node = new QTreeWidgetItem(QStringList{text});
    node->setData(0, kKeyRole, key);
    if (!icon.isNull())
        node->setIcon(0, icon);
    return node;
}

} // namespace

QString Form1::nodeKey(QTreeWidgetItem* node) const
{
    return node ? node->data(0, kKeyRole).toString() : QString();
}

QTreeWidgetItem* Form1::nodeByKey(const QString& key) const
{
    return m_nodes.value(key);
}

// Nodes are numbered from 1 in the order they stand, as the stored index is.
int Form1::nodeIndex(QTreeWidgetItem* node) const
{
    int index = 0;
    for (QTreeWidgetItemIterator it(const_cast<QTreeWidget*>(&TreeView1)); *it; ++it) {
        ++index;
        if (*it == node)
            return index;
    }
    return 0;
}

QTreeWidgetItem* Form1::nodeAt(int index) const
{
    int at = 0;
    for (QTreeWidgetItemIterator it(const_cast<QTreeWidget*>(&TreeView1)); *it; ++it) {
        if (++at == index)
            return *it;
    }
    return nullptr;
}

void Form1::scrollToStoredNode()
{
    bool ok = false;
    const int index = m_settings.Zuvtree.toInt(&ok);
    if (QTreeWidgetItem* node = ok ? nodeAt(index) : nullptr)
        TreeView1.scrollToItem(node);
}

QString Form1::nickOfKey(const QString& key) const
{
    if (QTreeWidgetItem* node = nodeByKey(key))
        return node->text(0);
    QTreeWidgetItem* item = m_items.value(key);
    return item ? item->text(0) : QString();
}

void Form1::PridejDoSeznamu(const QString& Nick, const QString& ID, const QString& Age,
                            const QString& Smail, const QString& Stav)
{
    if (!isMemberNumber(ID))
        return; // a number that is no member's never reaches a file name or a command line
    const QString key = QStringLiteral("zuv") + ID;
    const QIcon mood = m_images.value(moodImageKey(Smail));
    if (m_settings.Zuvzobrazeni == u"1") {
        if (m_items.contains(key))
            return;
        auto* item = newNode(key, Nick, mood);
        m_items.insert(key, item);
        item->setText(1, ID);
        item->setText(2, Age);
        item->setText(3, Smail);
        item->setText(4, Stav);
        addTopLevel(ListView1, item);
    } else {
        if (nodeByKey(key))
            return; // a second record for the same contact
        auto* node = newNode(key, Nick, mood);
        m_nodes.insert(key, node);
        if (Stav == u"online") {
            addTopLevel(TreeView1, node);
        } else {
            QTreeWidgetItem* group = nodeByKey(Stav);
            if (!group)
                group = nodeByKey(QStringLiteral("offline"));
            if (!group) {
                group = newNode(QStringLiteral("offline"), QStringLiteral(">OffLine"),
                                m_images.value(QStringLiteral("off")));
                m_nodes.insert(QStringLiteral("offline"), group);
                addTopLevel(TreeView1, group);
            }
            group->addChild(node);
        }
    }
    m_contactInfo.insert(ID.toInt(), contactInfoText(Nick, Age));
}

void Form1::CleanTree()
{
    // The next reply brings about as many: room for them is kept.
    const qsizetype shown = m_nodes.size();
    m_nodes.clear();
    m_nodes.reserve(shown);
    qDeleteAll(std::exchange(m_newTreeItems, {}));
    TreeView1.clear();
}

void Form1::CleanList()
{
    const qsizetype shown = m_items.size();
    m_items.clear();
    m_items.reserve(shown);
    qDeleteAll(std::exchange(m_newListItems, {}));
    ListView1.clear();
}

void Form1::SetInBoX(const QString& count)
{
    m_lastInbox = count;
    const bool none = count.isEmpty() || count == u"0";
    if (QTreeWidgetItem* shown = nodeByKey(QStringLiteral("inbox"))) {
        // The node says how many wait now, and goes when none do.
        if (none) {
            m_nodes.remove(QStringLiteral("inbox"));
            m_newTreeItems.removeOne(shown);
            delete shown;
        } else {
            shown->setText(0, QStringLiteral(">Schránka (") + count + u')');
        }
        return;
    }
    if (none)
        return;
    auto* node = newNode(QStringLiteral("inbox"), QStringLiteral(">Schránka (") + count + u')',
                         m_images.value(QStringLiteral("inbox")));
    QFont bold = node->font(0);
    bold.setBold(true);
    node->setFont(0, bold);
    m_nodes.insert(QStringLiteral("inbox"), node);
    addTopLevel(TreeView1, node);
}

void Form1::addTopLevel(QTreeWidget& view, QTreeWidgetItem* item)
{
    if (m_filling)
        (&view == &TreeView1 ? m_newTreeItems : m_newListItems).append(item);
    else
        showTopLevel(view, {item});
}

void Form1::showTopLevel(QTreeWidget& view, const QList<QTreeWidgetItem*>& items)
{
    view.addTopLevelItems(items);
    // A group can only be opened once it stands in its view.
    for (QTreeWidgetItem* item : items) {
        if (item->childCount() > 0)
            item->setExpanded(true);
    }
}

void Form1::beginFilling()
{
    m_filling = true;
}

void Form1::endFilling()
{
    m_filling = false;
    showTopLevel(TreeView1, std::exchange(m_newTreeItems, {}));
    showTopLevel(ListView1, std::exchange(m_newListItems, {}));
}

void Form1::ZobrazeniTree()
{
    m_settings.Zuvzobrazeni.clear();
    ZuvMenu_Zobrazeni_Tree->setChecked(true);
    ZuvMenu_Zobrazeni_List->setChecked(false);
    showNewVersionPanel(!NewVerForm.isHidden());
}

void Form1::ZobrazeniList()
{
    m_settings.Zuvzobrazeni = QStringLiteral("1");
    ZuvMenu_Zobrazeni_Tree->setChecked(false);
    ZuvMenu_Zobrazeni_List->setChecked(true);
    showNewVersionPanel(!NewVerForm.isHidden());
}

void Form1::ZadnyUseri()
{
    Label1.setVisible(TreeView1.topLevelItemCount() == 0 && m_settings.Zuvzobrazeni != u"1");
}

void Form1::Label1_Click()
{
    MsgBox(QStringLiteral("Nyní se Vám zobrazí okno, ve kterém můžete jednoduše vyhledat další "
                          "uživatele.\r\nPo zobrazení výsledků hledání klikněte na požadovaného "
                          "uživatele levým tlačítkem a zvolte přidat do seznamu nebo mu rovnou "
                          "napište zprávu."),
           MsgButtons::Ok, MsgIcon::Information);
}

void Form1::SetFocusListview(const QString& text)
{
    if (text.isEmpty())
        return;
    for (int i = 0; i < ListView1.topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = ListView1.topLevelItem(i);
        if (item->text(0) == text) {
            ListView1.setCurrentItem(item);
            ListView1.scrollToItem(item);
            return;
        }
    }
}

void Form1::TreeView1_NodeClick(QTreeWidgetItem* node)
{
    if (!node)
        return;
    m_settings.Zuvtree = QString::number(nodeIndex(node));
    const QString key = nodeKey(node);
    if (key == u"offline")
        Status.setText(QStringLiteral("Uživatelé offline"));
    else if (key == u"inbox")
        Status.setText(QStringLiteral("Nepřijaté zprávy"));
    else if (key.startsWith(QStringLiteral("zuv")))
        Status.setText(contactInfo(numberOfKey(key)));
    else
        Status.clear();
}

void Form1::TreeView1_DblClick(QTreeWidgetItem* node)
{
    const QString key = nodeKey(node);
    if (key == u"inbox") {
        webView(QStringLiteral("/zuv/inbox.php?idh=") + m_settings.Zuvid + QStringLiteral("&h=") +
                    m_settings.Zuvpass,
                QStringLiteral("7200/@/7500"), QStringLiteral("Schránka"),
                QStringLiteral("noendtest"));
    } else if (key.startsWith(QStringLiteral("zuv"))) {
        SendMessageZuv(node->text(0), numberOfKey(key));
    }
}

void Form1::ListView1_DblClick(QTreeWidgetItem* item)
{
    const QString key = nodeKey(item);
    if (key.startsWith(QStringLiteral("zuv")))
        SendMessageZuv(item->text(0), numberOfKey(key));
}

void Form1::showMenuUser(const QString& key, const QPoint& where)
{
    m_menuKey = key;
    const bool contact =
        !(key.isEmpty() || key == u"online" || key == u"offline" || key == u"inbox");
    for (QAction* item : MenuUser.actions())
        item->setEnabled(contact);
    if (!where.isNull())
        MenuUser.popup(where);
}

void Form1::webView(const QString& path, const QString& size, const QString& title,
                    const QString& endFlag)
{
    Shell(programDir() + QStringLiteral("\\ZuvBrowser.exe ") + m_server.serverBase + path +
              QStringLiteral("/@/") + size + QStringLiteral("/@/") + title +
              QStringLiteral("/@/normal/@/") + endFlag + QStringLiteral("/@/"),
          SW_SHOWMINIMIZED);
}

void Form1::MenuUserDelete_Click()
{
    const QString number = numberOfKey(m_menuKey);
    if (!isMemberNumber(number))
        return;
    const QString replyFile = programDir() + QStringLiteral("\\user_del.tt");
    QFile::remove(resolvePath(replyFile)); // an old answer is no answer to this one
    Shell(QStringLiteral("load.exe ") + m_server.serverBase +
              QStringLiteral("/zuv/user_del.php?id=") + m_settings.Zuvid + QStringLiteral("&h=") +
              m_settings.Zuvpass + QStringLiteral("&user=") + number + QStringLiteral("/@/") +
              replyFile + QStringLiteral("/@/show"),
          SW_SHOWNOACTIVATE);
    WaitDelete.start(1000);
}

void Form1::WaitDelete_Timer()
{
    const auto lines = TextFile::readLines(programPath(QStringLiteral("user_del.tt")));
    if (!lines)
        return;
    WaitDelete.stop();
    showContactListAnswer(*lines, QStringLiteral(" byl odstraněn z vašeho seznamu"));
}

void Form1::showContactListAnswer(const QStringList& lines, const QString& doneText)
{
    for (const QString& line : lines) {
        const ClassifiedUserAdd answer = classifyUserAddLine(line);
        switch (answer.kind) {
        case UserAddAnswer::NotAdded:
            MsgBox(QStringLiteral("Uživatele nelze přidat do seznamu."), MsgButtons::Ok,
                   MsgIcon::Exclamation);
            break;
        case UserAddAnswer::Exists:
            MsgBox(QStringLiteral("Uživatele nelze přidat do seznamu, protože se v něm již "
                                  "nachází."),
                   MsgButtons::Ok, MsgIcon::Exclamation);
            break;
        case UserAddAnswer::Added:
            MsgBox(answer.nick + doneText, MsgButtons::Ok, MsgIcon::Information);
            // The list changes only with the server's next full answer.
            Aktualizuj(QStringLiteral("all"));
            break;
        case UserAddAnswer::Other:
            break;
        }
    }
}

void Form1::Nalada(const QString& mood)
{
    QString value = moodItems.contains(mood) ? mood : QStringLiteral(":)");
    for (QAction* item : std::as_const(moodItems))
        item->setChecked(false);
    moodItems.value(value)->setChecked(true);
    const QString image = value == u"off" ? QStringLiteral("off") : moodImageKey(value);
    CMDnalada.setIcon(m_images.value(image));
    CMDnalada.setToolTip(moodItems.value(value)->text());
    m_settings.Zuvnalada = value;
    if (value == u"(:)" && !m_loading)
        webView(QStringLiteral("/zuv/autotext.php?&idh=") + m_settings.Zuvid +
                    QStringLiteral("&h=") + m_settings.Zuvpass,
                QStringLiteral("5800/@/4100"),
                QStringLiteral("Zuv - ") + m_settings.Zuvnick + QStringLiteral(" nepřítomen"),
                QStringLiteral("endtest"));
}

void Form1::setChatTextSize(const QString& code, const QString& caption)
{
    m_settings.FontSize = code;
    m_settings.Zuvset = m_settings.FontSize + u'@' + m_settings.SoundFlag;
    applyChatSettingMarks();
    MsgBox(QStringLiteral("Velikost textu nastavena na: ") + caption +
           QStringLiteral("\r\n\r\nPro to, aby se změny uplatnily musíte okno pro psaní zpráv "
                          "zavřít a znovu otevřít a kliknutím na ikonu znázorňující koš vymazat "
                          "historii zpráv.\r\nPokud historie nebude vymazána, nastavení nebude "
                          "pro příjem zpráv od daného uživatele akceptováno."));
}

void Form1::setChatSound(const QString& flag)
{
    m_settings.SoundFlag = flag;
    m_settings.Zuvset = m_settings.FontSize + u'@' + m_settings.SoundFlag;
    applyChatSettingMarks();
    MsgBox((flag == u"1" ? QStringLiteral("Zvuková signalizace nové zprávy je zapnuta.")
                         : QStringLiteral("Zvuková signalizace nové zprávy je vypnuta.")) +
           QStringLiteral("\r\n\r\nPro to, aby se změny uplatnily musíte okno pro psaní zpráv "
                          "zavřít a znovu otevřít."));
}

void Form1::applyChatSettingMarks()
{
    const int size = m_settings.FontSize.toInt();
    ZuvMenu_SetMsg_1->setChecked(size <= 11);
    ZuvMenu_SetMsg_2->setChecked(size > 11 && size <= 21);
    ZuvMenu_SetMsg_3->setChecked(size > 21);
    ZuvMenu_SetMsg_sound_1->setChecked(m_settings.SoundFlag == u"1");
    ZuvMenu_SetMsg_sound_0->setChecked(m_settings.SoundFlag != u"1");
}

} // namespace zuv::messenger
