#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QWidget>

namespace zuv::messenger {

class Form1;

// The user search "Hledej v Zuv...": finds members by what they tell about
// themselves or by the station they listen to, and adds them or writes to
// them from the results.
class Hledej : public QWidget
{
    Q_OBJECT
public:
    explicit Hledej(Form1& main, QWidget* parent = nullptr);
    ~Hledej() override;

    // Fields, in the order a remote search fills its text boxes.
    QLineEdit TextNick;
    QLineEdit TextJmeno;
    QLineEdit TextPrijmeni;
    QLineEdit TextAgeFrom;
    QLineEdit TextAgeTo;
    QComboBox ComboZm; // "", "Žena", "Muž"
    QLineEdit TextMesto;
    QLineEdit TextPoznamky;
    QLineEdit TextID;
    QLineEdit TextRadio;
    QCheckBox CheckOnline;
    QCheckBox CheckListening;
    QCheckBox CheckStation; // shown for the listeners of a station
    QPushButton Command1;   // "Hledej"
    QPushButton Command2;   // "další uživatelé >>"
    QLabel Label8;          // status
    QLabel Label10;         // the station whose listeners are shown
    QLabel Image1;          // the picture: the member's own web site
    QTreeWidget ListView1;
    QMenu MenuUser;
    QAction* AddUser = nullptr;
    QAction* SendMessage = nullptr;
    QAction* ShowInform = nullptr;
    QTimer Timer1; // the search reply
    QTimer Timer2; // the answer to an addition

    void Command1_Click();
    void Command2_Click();
    void Timer1_Timer();
    void Timer2_Timer();
    void PridejDoListu(const QString& record);
    void PridejUsera(const QString& number);
    void HledejSv(const QString& station);
    void RemoteSearch(const QString& text);
    // A click on a column header; the same column again reverses the order.
    void ListView1_ColumnClick(int column);
    void ListView1_DblClick(QTreeWidgetItem* item);
    void showMenuUser(QTreeWidgetItem* item, const QPoint& where);

    const QString& nextPage() const { return m_nextPage; }
    QString itemKey(const QTreeWidgetItem* item) const;

    // Column keys of the result list, in column order.
    static const QStringList& columnKeys();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildWindow();
    void startSearch(const QString& url);
    void endSearchDownload();
    QString numberOf(const QTreeWidgetItem* item) const;
    QString nickOf(const QTreeWidgetItem* item) const;

    Form1& m_main;
    QString m_nextPage;
    bool m_ageNoticeShown = false;
    qint64 m_searchPid = 0;             // the downloader of the search awaited
    QList<QTreeWidgetItem*> m_newItems; // of the reply being read
    bool m_filling = false;
    int m_sortColumn = -1;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    QString m_menuNumber; // the result the result menu is about
    QString m_menuNick;
    QMap<QString, QIcon> m_images;
};

} // namespace zuv::messenger
