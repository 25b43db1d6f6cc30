#pragma once

#include "core/filesearch.h"
#include "core/library.h"

#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QStringList>
#include <QTreeWidget>
#include <QWidget>
#include <foundation/gui/media/mediaplayer.h>

namespace zuv::recorder {

// The music library "ZuvRecors": the MP3 files below the recorder's Music
// folder grouped by artist, album and genre, played and deleted from here.
class ZuvRecors : public QWidget
{
    Q_OBJECT
public:
    explicit ZuvRecors(QWidget* parent = nullptr);
    ~ZuvRecors() override;

    // Started with "l": closing the window ends the program.
    void setStartedAlone(bool alone) { m_startedAlone = alone; }
    bool startedAlone() const { return m_startedAlone; }

    // Sets up the player and the columns and runs a first search.
    void Form_Load();

    // A new search: the files, their tags, the tree, then all files listed.
    // Asked while a search runs, it stops that one instead.
    void Command1_Click();
    void Command2_Click(); // stops the running search
    void Command3_Click(); // opens the Music folder
    void Command4_Click(); // back to the recording window
    void Aktualizuj_Click();
    void Konec_Click();
    void HideMenuPlay_Click();
    void HideMenuKill_Click();
    void ListView1_DblClick();

    void FindFiles(QString pattern, QString folder);
    void GetZuvTAG();
    void SearchMP3(const QString& Artist, const QString& Album, const QString& Genre);
    void TreeViewKliknuti();
    void SelektniListView();

    // A right click on the player: the control's menu.
    void WindowsMediaPlayer1_RightClick();

    // The tree node with this key; nullptr when there is none.
    QTreeWidgetItem* findNode(const QString& key) const;
    // The full path a list item stands for (its key).
    static QString itemPath(const QTreeWidgetItem* item);

    QTreeWidget TreeView1;
    QTreeWidget ListView1;
    QStringList List1; // every file of the last search
    QStringList List2; // the entries of the last playlist
    QProgressBar ProgressBar1;
    QLabel Label1;
    QLabel Label2;
    QPushButton Command1;
    QPushButton Command2;
    QPushButton Command3;
    QPushButton Command4;
    MediaPlayer WindowsMediaPlayer1;
    // What stands for the player control on screen: its state and title,
    // play and stop.
    QFrame PlayerStrip;
    QLabel PlayerStatus;
    QPushButton PlayerPlay;
    QPushButton PlayerStop;
    QMenu Menu;
    QAction* Aktualizuj = nullptr;
    QAction* Konec = nullptr;
    QMenu HideMenu;
    QAction* HideMenuPlay = nullptr;
    QAction* HideMenuKill = nullptr;

    const TagCache& tags() const { return m_tags; }

signals:
    // Back to the recording window ("Zuv Recorder", or the close box when
    // the program was not started with "l").
    void recorderWanted();
    // The program is to end (menu "Konec", or the close box after "l").
    void ended();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildWindow();
    void newSearch();
    void showPlayerState();

    bool m_startedAlone = false;
    bool m_searching = false;
    bool m_searchAgain = false;
    FileSearch m_search;
    TagCache m_tags;
    LibraryGroups m_groups;
};

} // namespace zuv::recorder
