#pragma once

#include "catalog/core/infopanel.h"
#include "catalog/core/stationlist.h"

#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBrowser>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>
#include <QWidget>
#include <foundation/serversettings.h>
#include <memory>

class QNetworkAccessManager;

namespace zuv::radio {

class Sorvanta;
class StationListModel;

// The station browser "Sorvanta - stanice": the network's catalog by
// category, the details of a station, and what can be done with it.
class ListRadios : public QWidget
{
    Q_OBJECT
public:
    explicit ListRadios(Sorvanta& player, QWidget* parent = nullptr);
    ~ListRadios() override;

    void Form_Load();

    // The catalog files and the lists.
    void LoadAktualizaceRadii();
    void Timer3_Timer();
    void Timer1_Timer();
    void NactiRadia(bool OnlyMemory);
    void NactiKategorie();
    void ZobrazKategoriiRadii(QString Kategorie);
    void NajdiIndexRadia(const QString& IDradia);

    // The selected station.
    void selectRow(int row); // a click on a list row
    void MenuRadia();
    void NactiInfoRadio();
    void NaladitRadio(const QString& Kvalita);
    void PridejRadioDoFAST(const QString& Kvalita);
    void ShowUsers();
    void Potize();
    void Diskuze();
    void OpenWeb(const QString& link);
    void Image3_Click();
    void KvalitaInfo_Click();
    void Command1_Click();

    // The advert strip and the info panel of the download.
    void ZobrazReklamu(const QString& CommandsG);
    void ReklamaTest();
    void ZobrazInfoPanel(const QString& CommandsG);
    void TimerInPan_Timer();
    void InfoPanel_Click();
    void ZpetMouseMove();

    QTreeWidget TreeView1;
    QTreeView ListView1;
    QLabel Label1; // the status line
    QPushButton Command1;
    QWidget Frame1;
    QLabel Label2, Label3, Label4, Label8;
    QPlainTextEdit Text1;
    QLabel Label5, Label7, Label6, Label9, Label10;
    QLabel Image3;
    QTextBrowser WebBrowser1;
    QLabel InfoPanel;
    QLabel ImageInPan;
    QTimer TimerInPan;
    QTimer Timer1;
    QTimer Timer3;
    QMenu SkryteMenu;
    QMenu* DostupnaKvalita = nullptr;
    QMenu* NaladRadio = nullptr;
    QAction* Kvalita[5] = {};
    QAction* KvalitaPlay[5] = {};
    QAction* KvalitaInfo = nullptr;
    QAction* ShowUsersItem = nullptr;
    QAction* DiskuzeItem = nullptr;
    QAction* PotizeItem = nullptr;
    QAction* WebRadia = nullptr;

    const StationCatalog& catalog() const { return m_catalog; }
    StationListModel& model() { return *m_model; }
    // The list row of the station last clicked; -1 when none.
    int listPosition() const { return m_listPosition; }
    // The menu station: its id and name.
    const QString& menuStationId() const { return m_menuId; }
    const QString& menuStationName() const { return m_menuName; }
    qint64 expectedSize() const { return m_expectedSize; }
    const QString& adverURL() const { return m_advertUrl; }

signals:
    // The catalog download has ended, well or not.
    void downloadEnded();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildWindow();
    void buildMenu();
    void startRequest(const QString& url, const QString& replyFile);
    void failDownload();
    void processDownload();
    void showNode(QTreeWidgetItem* node);
    void selectedChanged(const QModelIndex& index);
    std::optional<int> selectedStation() const;
    bool isTelevision(const QString& stationId) const;
    void popUp(QMenu& menu);
    void fetchAdvert(const QString& url);

    Sorvanta& m_player;
    ServerSettings m_server;
    QString m_ownId;
    QString m_authH;
    StationCatalog m_catalog;
    std::unique_ptr<StationListModel> m_model;
    int m_listPosition = -1;
    int m_nodeIndex = 0; // 0: no node chosen yet
    Qt::MouseButton m_lastButton = Qt::LeftButton;
    qint64 m_expectedSize = 0;
    qint64 m_downloaderPid = 0;
    QString m_menuId;
    QString m_menuName;
    QString m_advertUrl;
    bool m_advertWaiting = false;
    InfoPanelCommand m_info;
    InfoTyping m_typing;
    QNetworkAccessManager* m_network = nullptr;
};

} // namespace zuv::radio
