#pragma once

#include "core/capture.h"
#include "core/capturewriter.h"
#include "core/outputwriter.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTimer>
#include <QWidget>
#include <array>
#include <foundation/bus/buswindow.h>
#include <foundation/bus/windowproc.h>
#include <memory>

namespace zuv::recorder {

class ZuvRecors;

// The recording window "Zuv Recorder (Zuvnet)": records what the computer
// plays into an MP3 file in the Music folder, by hand or on a schedule, and
// tags the file afterwards.
class Form1 : public QWidget
{
    Q_OBJECT
public:
    explicit Form1(QWidget* parent = nullptr);
    ~Form1() override;

    // The start-up; false when this copy is to end at once (an earlier copy
    // runs and was told to come up).
    bool Form_Load(const QString& commandLine);
    // Stops a running recording and ends the program.
    void Form_Unload();

    // The tabs and their frames.
    QTabBar TabStrip1;
    QFrame CardSET;
    QFrame CardREC;
    QFrame CardTim;
    QFrame CardTAG;
    QFrame CardMP3;
    QLabel Image1; // the network's logo, opens its web site

    // "Nastavení"
    QLineEdit NameCash;
    QPushButton Command5;
    QLabel Label30;

    // "Nahrávání"
    QLabel Label9;
    QComboBox ComboBitrate;
    QRadioButton SoundSM[2]; // "Stereo", "Mono"
    QPushButton Command1;
    QPushButton Command2;
    QLabel Label12;
    QLabel Label29;

    // "Časované nahrávání"
    QCheckBox Check1;
    QLabel Label22;
    QLabel Label23;
    QLineEdit RecTd, RecTm, RecTr, RecTh, RecTmin;
    QLineEdit RecTdS, RecTmS, RecTrS, RecThS, RecTminS;
    QRadioButton Option1;
    QRadioButton Option2;
    QLineEdit FileSizeMax;

    // "Informace"
    QLineEdit svTAGtitle;
    QLineEdit svTAGartist;
    QLineEdit svTAGalbum;
    QLineEdit svTAGyear;
    QLineEdit svTAGinfo;
    QComboBox Combo1;
    QPushButton Command4;

    QTimer Timer1; // 1 s while recording: the elapsed time
    QTimer Timer2; // 1 s: the schedule and the size

    // Handlers and routines.
    void TabStrip1_Click();
    void ComboBitrate_Click();
    void NameCash_Change();
    void Command5_Click();
    bool OtestujCestu(); // true when the name is free
    void Command1_Click();
    void Command2_Click();
    void Command4_Click();
    void Stopuj();
    void Timer2_Timer();
    void Image1_Click();
    void Label30_Click();
    void SetFocusCommand();

    // State others look at (tests among them).
    const QString& stationName() const { return m_stationName; }
    const QString& fileBase() const { return m_fileBase; }
    QString recordingFile() const;
    int channels() const { return m_channels; }
    int quality() const { return m_quality; }
    bool recordingActive() const { return m_recordingActive; }
    qint64 elapsedSeconds() const { return m_elapsedSeconds; }
    void setElapsedSeconds(qint64 seconds) { m_elapsedSeconds = seconds; }
    const Capture& capture() const { return m_capture; }
    ZuvRecors& library() const { return *m_library; }
    BusWindow& bus() { return m_bus; }

    // Shows the recording window with a tab selected (0 to 3).
    void showWithTab(int index);

signals:
    void ended();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildWindow();
    void buildSettingsCard();
    void buildRecordingCard();
    void buildScheduleCard();
    void buildTagCard();
    void SetSubclass(bool on);
    void setStartFieldsEnabled(bool enabled);
    void setQualityControlsEnabled(bool enabled);
    void showLibrary();
    QString serverBase() const;

    QString m_stationName;
    QString m_fileBase;
    // recordingFile() as the file system takes it; resolving may list the
    // Music folder, too slow for the tick.
    QString m_recordingPath;
    // The schedule's fields: day, month, year, hour, minute.
    const std::array<QLineEdit*, 5> m_startFields{&RecTd, &RecTm, &RecTr, &RecTh, &RecTmin};
    const std::array<QLineEdit*, 5> m_stopFields{&RecTdS, &RecTmS, &RecTrS, &RecThS, &RecTminS};
    int m_channels = 1;
    int m_quality = 2;
    bool m_recordingActive = false;
    qint64 m_elapsedSeconds = 0;
    bool m_ending = false;
    bool m_libraryLoaded = false;

    OutputWriter m_writer;
    CaptureWriter m_sink{m_writer};
    Capture m_capture{m_sink};
    BusWindow m_bus;
    CommandTable m_commands;
    std::unique_ptr<ZuvRecors> m_library;
};

} // namespace zuv::recorder
