#pragma once
// The main window: one image in a scroll box, its information line, the
// menus, zoom and pan, and the open and save flows that the menus, the
// command line, folder browsing and the batch converter drive.
#include <QImage>
#include <QMainWindow>
#include <QPoint>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "imagelib/image_record.h"
#include "viewer/logic/load_limits.h"
#include "viewer/pictures/picture_registry.h"
#include "viewer/logic/zoom_math.h"

class ElidedLabel;
class ImageView;
class IniFile;
class MessageBoxes;
class QAction;
class QLabel;
class QMenu;
class QStatusBar;
class TTiffDialog;
class TWSQDialog;
class ZoomPanel;

// What an open or save run by code ended with. Failed: the flow refused the
// file and would have shown a box with text under caption. Raised: an error
// of the kind the toolkit raises itself (its text), which ends the flow.
struct FlowOutcome {
  enum class Kind { Done, Failed, Raised };
  Kind kind = Kind::Done;
  QString caption;
  QString text;

  bool ok() const { return kind == Kind::Done; }
};

class TMainWSQForm : public QMainWindow {
  Q_OBJECT
 public:
  // settings_path: the settings file; first_argument: the first command-line
  // argument (empty when there is none), opened before the window is shown.
  TMainWSQForm(MessageBoxes& boxes, const QString& settings_path, const QString& first_argument,
               QWidget* parent = nullptr);
  ~TMainWSQForm() override;

  // --- Fields shared by the handlers ---
  QString CurrentFileName;
  QImage WorkingBitmap;  // the current image at full size, 24 bits per pixel
  int32_t ImageWidth = 0;
  int32_t ImageHeight = 0;
  double AspectRatio = 0;
  bool Unattended = false;
  bool ReadFromOpenDialog = false;
  QString BrowseDirectory;
  // What the WSQ and TIFF readers found last and the saves send.
  ImageInfo LastImageInfo{.depth_or_quality = 0, .bitrate = 0, .ppi = 0, .comment = std::nullopt};
  TiffOptions LastTiffOptions;
  // The resolution the last read file records, -1 when it records none.
  int32_t LastReadPpi = -1;
  // The file dialogs' file names and the save dialog's 1-based filter index.
  QString OpenDialogFileName;
  QString SaveDialogFileName;
  int SaveDialogFilterIndex = 1;

  // Zoom and pan.
  double ZoomScale = 1.3;
  double SavedZoomScale = 0;
  bool ZoomPointArmed = false;
  bool ZoomPointOut = false;
  PointFraction PointFractionXY;
  bool ZoomSettingsOpen = false;
  bool Dragging = false;
  QPoint DragStart;
  QPoint PanelDragStart;

  // --- Hooks filled in by the parts built on this window; empty ones do nothing ---
  std::function<void()> OnBuildBrowseList;
  std::function<void(int virtual_key)> OnFormKeyDown;
  std::function<void()> OnMenuEditClick;
  std::function<void()> OnMenuCopyClick;
  std::function<void()> OnMenuPasteClick;
  std::function<void()> OnMenuFileConverterClick;
  std::function<void()> OnMenuAboutClick;

  // --- Components (object names as here) ---
  QWidget* ProcessedImageScrollBox;
  ImageView* OutputImage;
  ZoomPanel* ZoomPanelControl;  // object name "ZoomPanel"
  QStatusBar* StatusBar;
  QMenu* MenuFile;
  QAction* MenuOpenPicture;
  QAction* MenuSavePicture;
  QAction* Exit1;
  QMenu* MenuEdit;
  QAction* MenuCopy;
  QAction* MenuPaste;
  QMenu* NameView;
  QAction* MenuZoomToolbar;
  QAction* MenuZoomIn;
  QAction* MenuZoomOut;
  QAction* MenuActualSize;
  QAction* MenuImageProperties;
  QMenu* MenuRecentFiles;
  QMenu* MenuTools;
  QAction* MenuFileConverter;
  QMenu* MenuHelp;
  QAction* MenuAbout;

  MessageBoxes& Boxes() { return boxes_; }
  TWSQDialog& WSQDialog() { return *wsq_dialog_; }
  TTiffDialog& TiffDialog() { return *tiff_dialog_; }
  const PictureRegistry& Registry() const { return registry_; }
  const QString& SettingsPath() const;
  QString StatusText() const;
  void SetStatusText(const QString& text);
  // The cursor of a slot (0: default arrow, 1 to 4: the loaded cursors).
  QCursor ScreenCursor(int slot) const;
  // The image control's place and size.
  ViewRect ImageRect() const;
  void SetImageRect(const ViewRect& rect);

  // --- Open and save flows ---
  // Opens the file the open dialog's file name holds; boxes as described.
  void OpenPicture1Accept();
  // Saves WorkingBitmap to the save dialog's file name in the format of its filter index.
  void SavePicture1Accept();
  // For the batch converter: runs the open or save flow on a file in
  // unattended mode (no option dialog, no browse list) and reports the
  // outcome instead of showing boxes. After a failed open, WorkingBitmap
  // still holds the previous image: do not save it under the new name.
  FlowOutcome OpenForConversion(const QString& file_name);
  FlowOutcome SaveForConversion(const QString& target, int filter_index);
  // Opens a file as the open dialog would (used by drag and drop).
  void OpenFileInteractively(const QString& file_name);

  // --- Handlers ---
  void FormShow();
  void FormClose();
  void FormResize();
  void FormKeyDown(int virtual_key);
  void MenuFileClick();
  void MenuEditClick();
  void MenuCopyClick();
  void MenuPasteClick();
  void MenuFileConverterClick();
  void MenuAboutClick();
  void MenuZoomToolbarClick();
  void OpenPicture1OpenPictureDialogShow();
  void SavePicture1SavePictureDialogShow();
  void MenuOpenPictureClick();
  void MenuSavePictureClick();
  void RenderView();
  void CenterView();

  void ZoomInButtonClick();
  void ZoomOutButtonClick();
  void FitViewButtonClick();
  void RestoreOriginalSizeButtonClick();
  void MoreLessButtonClick();
  void ZoomScaleEditChange();
  void ZoomScaleEditEnter();
  void ZoomScaleEditExit();
  void ZoomTrackBarChange();
  void OutputImageMouseDown(Qt::MouseButton button, QPoint point);
  void OutputImageMouseMove(Qt::MouseButtons buttons, QPoint point);
  void OutputImageMouseUp(Qt::MouseButton button, QPoint point);
  void ZoomPanelMouseDown(Qt::MouseButton button, QPoint point);
  void ZoomPanelMouseMove(Qt::MouseButtons buttons, QPoint point);
  void ZoomPanelMouseUp(Qt::MouseButton button, QPoint point);

  // Zoom beyond the panel, from fit-to-window up to 64x: one step by
  // ZoomScale about a point of the scroll box (the wheel's) or its centre,
  // 1:1 about the centre, and panning by a tenth of the box per arrow key.
  void ZoomStepAbout(bool zoom_in, QPoint anchor);
  void ZoomStepAboutCentre(bool zoom_in);
  void ShowActualSize();
  void PanBy(int steps_x, int steps_y);
  // The image properties of the shown picture (View menu).
  void MenuImagePropertiesClick();
  // The limits every load obeys, read from the settings file at construction.
  LoadLimits Limits{};
  // What the properties show of the current picture: its depth and
  // resolution as read, and its file's size (-1 when there is no file).
  QString ShownFileName;  // empty for a pasted picture
  int32_t ShownDepth = 0;
  int32_t ShownPpi = -1;

  // Runs a handler; an error it raises is shown as the toolkit's exception
  // report (a box with its text) and the program goes on.
  void Guarded(const std::function<void()>& handler);

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void build_layout();
  void build_menus();
  void connect_zoom_panel();
  void start_zoom_state();
  void open_from_command_line(const QString& argument);
  void lay_out_client(QSize old_size);

  FlowOutcome run_open_flow();
  FlowOutcome run_save_flow();
  void show_outcome(const FlowOutcome& outcome);
  QString ReaderFileName() const;
  QImage load_picture(const QString& lower_extension);
  void show_new_image(const QImage& image);
  void write_information_line(const QString& lower_extension);
  FlowOutcome save_through_library(const QString& output, const ImageInfo* info, const TiffOptions* tiff);
  FlowOutcome save_wsq(const QString& output, const ImageInfo& info);
  void read_wsq_options();
  void set_image_cursor(int slot);
  void set_panel_cursor(int slot);
  void keep_zoom_panel_inside();
  void build_view_menu();
  void remember_recent(const QString& file_name);
  void rebuild_recent_menu();
  double fit_magnification() const;

  MessageBoxes& boxes_;
  std::unique_ptr<IniFile> settings_;
  PictureRegistry registry_;
  std::unique_ptr<TWSQDialog> wsq_dialog_;
  std::unique_ptr<TTiffDialog> tiff_dialog_;
  ElidedLabel* status_text_ = nullptr;
  QWidget* client_ = nullptr;
  QCursor cursors_[5];
  std::vector<QWidget*> key_forwarding_controls_;  // the panel controls whose keys reach FormKeyDown
  bool shown_once_ = false;
  bool panel_pressed_ = false;
  QStringList recent_files_;
};
