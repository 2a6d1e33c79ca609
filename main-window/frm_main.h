#pragma once

#include "byte_statistics.h"
#include "common_dialog.h"
#include "control_array.h"
#include "form.h"
#include "frequency_graph_widget.h"
#include "frequency_state.h"
#include "frequency_table_model.h"
#include "frequency_table_widget.h"
#include "label.h"
#include "window_services.h"

#include <QPointer>
#include <atomic>
#include <memory>
#include <optional>

class frmHelp;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// The main window: the bar graph and the 256-row frequency table on the
// left, the commands and totals in the strip on the right, the two path boxes
// at the bottom. It holds all counting state of the program.
class frmMain : public Form {
    Q_OBJECT
public:
    explicit frmMain(const WindowServices& services);
    ~frmMain() override;

    // The counting state of the last calculation.
    FrequencyState state;

    // Builds the table and finds where the bars rest.
    void createObjects();
    // Zeroes the counts, empties the count and frequency cells and puts every
    // bar at rest at its own place.
    void resetObjects();
    // Counts the source file named in txtSourceFile into the state.
    void readFile();
    // Puts a file's name in the source box, shown as well as text can show
    // it, and counts that very file, whatever its bytes, for as long as the
    // box's text stays as it was put.
    void setSourceFile(const QByteArray& name);
    // The six figures of the bytes that the last calculation counted: all
    // empty where it counted none. They need the bytes in order, which a
    // calculation does not keep, so the first asking after a calculation
    // counts the same file again, as a calculation does (hourglass, input
    // dropped); where the file no longer gives the same counts, a message
    // says so and there are none. None either when the window is asked to
    // close meanwhile; it then closes.
    std::optional<ByteFigures> statisticsOfCount();
    // Reads the source, works out the chosen subset and fills the display.
    void calculateFrequency();

    // The help window for as long as it exists, else null.
    frmHelp* helpWindow() const;

    // Controls, by the names the window gives them.
    Label* lblToolbarBackground;
    QLabel* pictureDish;
    Label* lblTallivor;
    QPushButton* btnCalcFrequency;
    ControlArray<QRadioButton> optSubset;
    Label* Label3;
    Label* lblTotal;
    Label* lblTotalChars;
    Label* lblSelected;
    Label* lblSelectedChars;
    QPushButton* btnSaveFrequencies;
    QPushButton* btnHelp;
    Label* lblQuorvex;
    Label* lblMaxFreq;
    ControlArray<Label> lblGraphMenu;
    ControlArray<Label> Label1;
    // The frequency table: what it shows, the widget that shows it, and its
    // cells by their columns' names.
    FrequencyTableModel tableModel;
    FrequencyTableWidget* frequencyTable = nullptr;
    TableColumn lblASCII{frequencyTable, FrequencyTableModel::Code};
    TableColumn lblASCIIHex{frequencyTable, FrequencyTableModel::Hex};
    TableColumn lblASCIIChar{frequencyTable, FrequencyTableModel::Character};
    TableColumn lblASCIICount{frequencyTable, FrequencyTableModel::Count};
    TableColumn lblASCIIFreq{frequencyTable, FrequencyTableModel::Frequency};
    // The bar graph, and its bars by their name.
    FrequencyGraphWidget* frequencyGraph = nullptr;
    BarHandles lnFreq{frequencyGraph};
    Label* lblSourceFile;
    QLineEdit* txtSourceFile;
    QPushButton* btnSelectSource;
    Label* lblDestinationFile;
    QLineEdit* txtDestinationFile;
    QPushButton* btnSelectDestination;
    CommonDialog cdbSourceFile;
    CommonDialog cdbDestinationFile;

public slots:
    void btnCalcFrequency_Click();
    void btnSaveFrequencies_Click();
    void btnSelectSource_Click();
    void btnSelectDestination_Click();
    void btnHelp_Click();
    void lblQuorvex_Click();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Form_Load();
    void classifyCharacters();
    void designLayout();
    void designStrip();
    void designGraph();
    void designPathBoxes();
    void setFocusOrder();
    // Keys for the window's commands, none shown in a caption: F1 "Help",
    // Ctrl+O the source's "Select ", Ctrl+S "Save Frequencies" (each as a
    // click on its button, so questions and all), Ctrl+Q ends the program.
    void installShortcuts();
    // Puts tableAsText on the clipboard on Ctrl+C, unless a text box with a
    // selection has the focus, and from a context menu over the table, the
    // graph and the totals: "Copy Table", and "Copy Statistics" for
    // statisticsAsText of the last calculation (see statisticsOfCount).
    void installTableCopy();
    void connectHandlers();
    void describeForScreenReaders();
    void describeGraph();
    // Tells screen readers, once, that a calculation has changed the table,
    // the totals and the graph, and has them speak the totals.
    void announceResults();
    QString resultsSentence() const;

    // The bytes of the file that txtSourceFile names.
    QByteArray sourcePath() const;

    // One count off the window's thread. It owns everything it touches: a
    // read that never returns (a stalled network or FUSE file) is left
    // behind when the window closes, and must then touch nothing of the
    // window's.
    struct DetachedCount {
        std::string path;
        SourceReader read;
        FrequencyState state;
        ReadOptions options;
        ReadOutcome outcome;
        std::shared_ptr<const std::atomic<bool>> stop;
        ByteStatistics statistics;
    };
    // Counts source into start on a thread of its own while input is
    // dropped, with the byte statistics too where asked. Null where the
    // window was asked to close before the count finished.
    std::shared_ptr<DetachedCount> countWithoutInput(const QByteArray& source,
                                                     const FrequencyState& start, bool statistics);

    WindowServices services_;
    // The name that setSourceFile was given, and the text the box showed for it.
    QByteArray givenSourceName_;
    QString givenSourceText_;
    // What a file was when it was counted: a write since changes it, even
    // one that keeps the counts.
    struct FileStamp {
        std::uint64_t device = 0;
        std::uint64_t inode = 0;
        std::int64_t size = 0;
        std::int64_t modifiedSeconds = 0;
        std::int64_t modifiedNanoseconds = 0;
        bool operator==(const FileStamp&) const = default;
    };
    static std::optional<FileStamp> stampOf(const QByteArray& path);

    // The file that the last calculation counted, null where it counted
    // none, what it was then, and its figures once worked out.
    QByteArray countedSource_;
    std::optional<FileStamp> countedStamp_;
    std::optional<ByteFigures> statistics_;
    // What a handler is waiting for, if anything; no other handler starts
    // meanwhile.
    enum class Busy { No, Counting, Saving };
    Busy busy_ = Busy::No;
    // Set when the window is asked to close during a calculation: counting
    // stops, nothing is shown, and the window closes once the handler ends.
    // Shared with the count, which a read that never returns leaves behind.
    std::shared_ptr<std::atomic<bool>> stopRequested_ = std::make_shared<std::atomic<bool>>(false);
    // Set when the window is asked to close during a save: it closes once
    // the save has finished or been rolled back.
    bool closeAfterSave_ = false;
    QAccessibleInterface* frequencyTable_ = nullptr;
    // The one help window; it deletes itself when the user closes it.
    QPointer<frmHelp> help_;
};
