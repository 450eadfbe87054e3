#include "viewer/window/main_window.h"

#include <QAction>
#include <algorithm>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QSlider>
#include <QStatusBar>
#include <QToolButton>

#include "viewer/logic/recent_files.h"
#include "viewer/widgets/cursors.h"
#include "viewer/widgets/elided_label.h"
#include "viewer/widgets/image_view.h"
#include "viewer/logic/ini_file.h"
#include "viewer/widgets/message_boxes.h"
#include "viewer/pictures/picture_readers.h"
#include "viewer/logic/readable_extensions.h"
#include "viewer/widgets/scroll_box.h"
#include "viewer/logic/file_names.h"
#include "viewer/dialogs/tiff_dialog.h"
#include "viewer/pictures/toolkit_error.h"
#include "viewer/pictures/toolkit_readers.h"
#include "viewer/widgets/widget_placement.h"
#include "viewer/dialogs/wsq_dialog.h"
#include "viewer/widgets/zoom_panel.h"

namespace {

constexpr int kClientWidth = 513;
constexpr int kClientHeight = 538;
constexpr int kStatusBarHeight = 24;
constexpr const char* kCaption = "Tessaron DIZ udizev";
constexpr const char* kShowSection = "Show";
constexpr const char* kShowZoomToolbarKey = "show_zoom_toolbar";

// The key code the key handler receives: the platform's virtual key for the
// browse keys, letters and digits; 0 for keys it does not handle.
int virtual_key_code(int qt_key) {
  switch (qt_key) {
    case Qt::Key_PageUp: return 33;
    case Qt::Key_PageDown: return 34;
    case Qt::Key_End: return 35;
    case Qt::Key_Home: return 36;
    default: break;
  }
  const bool letter_or_digit = (qt_key >= Qt::Key_A && qt_key <= Qt::Key_Z) || (qt_key >= Qt::Key_0 && qt_key <= Qt::Key_9);
  return letter_or_digit ? qt_key : 0;
}

// Sets short and long hints from "short|long" (one text serves both when there is no "|").
void set_hints(QAction* action, const QString& hint) {
  const qsizetype bar = hint.indexOf('|');
  action->setToolTip(bar < 0 ? hint : hint.left(bar));
  action->setStatusTip(bar < 0 ? hint : hint.mid(bar + 1));
}

QAction* menu_action(QMenu* menu, const char* name, const char* caption, const QKeySequence& shortcut = {}) {
  QAction* action = menu->addAction(QString::fromLatin1(caption));
  action->setObjectName(QString::fromLatin1(name));
  action->setShortcut(shortcut);
  return action;
}

// A focus change of the given kind between controls of the window; not the
// window itself losing or regaining activation (for example to a message box).
bool moves_focus_within_window(const QEvent* event, QEvent::Type type) {
  if (event->type() != type) return false;
  const Qt::FocusReason reason = static_cast<const QFocusEvent*>(event)->reason();
  return reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
}

// The pan direction of an arrow key, (0, 0) for other keys.
QPoint arrow_steps(int qt_key) {
  switch (qt_key) {
    case Qt::Key_Left: return {-1, 0};
    case Qt::Key_Right: return {1, 0};
    case Qt::Key_Up: return {0, -1};
    case Qt::Key_Down: return {0, 1};
    default: return {};
  }
}

void call_hook(const std::function<void()>& hook) {
  if (hook) hook();
}

}  // namespace

TMainWSQForm::TMainWSQForm(MessageBoxes& boxes, const QString& settings_path, const QString& first_argument,
                           QWidget* parent)
    : QMainWindow(parent),
      boxes_(boxes),
      settings_(std::make_unique<IniFile>(settings_path)),
      wsq_dialog_(std::make_unique<TWSQDialog>()),
      tiff_dialog_(std::make_unique<TTiffDialog>()) {
  setObjectName("MainWSQForm");
  build_layout();
  build_menus();
  for (int slot = HandGrabber; slot <= ZoomOutCursor; ++slot) cursors_[slot] = make_cursor(static_cast<CursorSlot>(slot));
  connect_zoom_panel();
  start_zoom_state();
  Limits = read_load_limits(*settings_);
  recent_files_ = read_recent_files(*settings_);
  rebuild_recent_menu();
  register_toolkit_readers(registry_, Limits, LastReadPpi);
  register_program_readers(registry_, LastImageInfo, LastTiffOptions, Limits, LastReadPpi);
  open_from_command_line(first_argument);
  Unattended = false;
}

TMainWSQForm::~TMainWSQForm() = default;

void TMainWSQForm::build_layout() {
  setWindowTitle(kCaption);
  setAcceptDrops(true);
  client_ = new QWidget(this);
  client_->setObjectName("ClientArea");
  setCentralWidget(client_);
  auto* scroll_box = place(new ScrollBox(client_), "ProcessedImageScrollBox", 10, 8, 493, 479);
  scroll_box->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  ProcessedImageScrollBox = scroll_box;
  OutputImage = place(new ImageView(scroll_box), "OutputImage", 13, 16, 257, 209);
  // An empty view is hidden, so an empty window shows no scroll bars.
  OutputImage->hide();
  scroll_box->setContent(OutputImage);
  ZoomPanelControl = new ZoomPanel(client_);
  ZoomPanelControl->move(288, 325);
  ZoomPanelControl->hide();
  StatusBar = new QStatusBar(this);
  StatusBar->setObjectName("StatusBar");
  StatusBar->setFixedHeight(kStatusBarHeight);
  StatusBar->setSizeGripEnabled(false);
  // A long line ends in "..." at the window's edge, the whole of it in the tooltip.
  status_text_ = new ElidedLabel(StatusBar);
  status_text_->setObjectName("StatusText");
  StatusBar->addWidget(status_text_, 1);
  setStatusBar(StatusBar);
  client_->installEventFilter(this);
  client_->resize(kClientWidth, kClientHeight - kStatusBarHeight);
  resize(kClientWidth, kClientHeight + menuBar()->sizeHint().height());
}

void TMainWSQForm::build_menus() {
  menuBar()->setObjectName("MainMenu1");
  MenuFile = menuBar()->addMenu("&File");
  MenuFile->setObjectName("MenuFile");
  MenuOpenPicture = menu_action(MenuFile, "MenuOpenPicture", "&Open Picture...", QKeySequence("Ctrl+O"));
  MenuSavePicture = menu_action(MenuFile, "MenuSavePicture", "&Save Picture...", QKeySequence("Ctrl+S"));
  MenuRecentFiles = MenuFile->addMenu("&Recent files");
  MenuRecentFiles->setObjectName("MenuRecentFiles");
  MenuFile->addSeparator();
  Exit1 = menu_action(MenuFile, "Exit1", "E&xit");
  MenuEdit = menuBar()->addMenu("&Edit");
  MenuEdit->setObjectName("MenuEdit");
  MenuCopy = menu_action(MenuEdit, "MenuCopy", "&Copy", QKeySequence("Ctrl+C"));
  MenuPaste = menu_action(MenuEdit, "MenuPaste", "&Paste", QKeySequence("Ctrl+V"));
  NameView = menuBar()->addMenu("&View");
  NameView->setObjectName("NameView");
  MenuZoomToolbar = menu_action(NameView, "MenuZoomToolbar", "Show zoom toolbar");
  MenuZoomToolbar->setCheckable(true);
  build_view_menu();
  MenuTools = menuBar()->addMenu("&Tools");
  MenuTools->setObjectName("MenuTools");
  MenuFileConverter = menu_action(MenuTools, "MenuFileConverter", "File format converter");
  MenuHelp = menuBar()->addMenu("&Help");
  MenuHelp->setObjectName("MenuHelp");
  MenuAbout = menu_action(MenuHelp, "MenuAbout", "&About");
  set_hints(MenuOpenPicture, "Open Picture");
  set_hints(MenuSavePicture, "Save Picture");
  set_hints(Exit1, "Exit|Quits the application");
  set_hints(MenuCopy, "Copy|Copies the selection and puts it on the Clipboard");
  set_hints(MenuPaste, "Paste|Inserts Clipboard contents");

  const auto on = [this](QAction* action, void (TMainWSQForm::*handler)()) {
    connect(action, &QAction::triggered, this, [this, handler] { Guarded([this, handler] { (this->*handler)(); }); });
  };
  // The save entry's shortcut follows the picture even while the menu stays closed.
  connect(OutputImage, &ImageView::pictureSet, this, [this] {
    OutputImage->setVisible(OutputImage->hasPicture());
    MenuFileClick();
  });
  connect(MenuRecentFiles, &QMenu::aboutToShow, this, [this] { rebuild_recent_menu(); });
  connect(MenuFile, &QMenu::aboutToShow, this, [this] { Guarded([this] { MenuFileClick(); }); });
  connect(MenuEdit, &QMenu::aboutToShow, this, [this] { Guarded([this] { MenuEditClick(); }); });
  on(MenuOpenPicture, &TMainWSQForm::MenuOpenPictureClick);
  on(MenuSavePicture, &TMainWSQForm::MenuSavePictureClick);
  connect(Exit1, &QAction::triggered, this, &QWidget::close);
  on(MenuCopy, &TMainWSQForm::MenuCopyClick);
  on(MenuPaste, &TMainWSQForm::MenuPasteClick);
  on(MenuZoomToolbar, &TMainWSQForm::MenuZoomToolbarClick);
  on(MenuFileConverter, &TMainWSQForm::MenuFileConverterClick);
  on(MenuAbout, &TMainWSQForm::MenuAboutClick);
}

void TMainWSQForm::open_from_command_line(const QString& argument) {
  if (argument.isEmpty()) return;
  CurrentFileName = argument;
  if (!is_readable_extension(file_extension(argument).toLower())) return;
  ReadFromOpenDialog = true;
  Unattended = true;
  OpenDialogFileName = argument;
  OpenPicture1Accept();
}

const QString& TMainWSQForm::SettingsPath() const { return settings_->path(); }

QString TMainWSQForm::StatusText() const { return status_text_->fullText(); }

void TMainWSQForm::SetStatusText(const QString& text) { status_text_->setFullText(text); }

QCursor TMainWSQForm::ScreenCursor(int slot) const {
  return slot >= HandGrabber && slot <= ZoomOutCursor ? cursors_[slot] : QCursor(Qt::ArrowCursor);
}

ViewRect TMainWSQForm::ImageRect() const {
  return {OutputImage->x(), OutputImage->y(), OutputImage->width(), OutputImage->height()};
}

void TMainWSQForm::SetImageRect(const ViewRect& rect) {
  OutputImage->setGeometry(rect.left, rect.top, std::max(rect.width, 0), std::max(rect.height, 0));
}

void TMainWSQForm::Guarded(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const ToolkitError& error) {
    boxes_.message_box(this, error.text(), QApplication::applicationName(), MessageBoxError);
  } catch (const std::exception& error) {
    boxes_.message_box(this, QString::fromLocal8Bit(error.what()), QApplication::applicationName(), MessageBoxError);
  }
}

void TMainWSQForm::FormShow() {
  centre_on_screen(*this);
  MenuZoomToolbar->setChecked(settings_->read_bool(kShowSection, kShowZoomToolbarKey, false));
  ZoomPanelControl->setVisible(MenuZoomToolbar->isChecked());
  keep_zoom_panel_inside();
}

void TMainWSQForm::FormClose() {
  // A settings file that cannot be written does not keep the window open.
  settings_->write_bool(kShowSection, kShowZoomToolbarKey, MenuZoomToolbar->isChecked());
}

void TMainWSQForm::FormResize() { CenterView(); }

void TMainWSQForm::FormKeyDown(int virtual_key) {
  if (OnFormKeyDown) OnFormKeyDown(virtual_key);
}

void TMainWSQForm::MenuFileClick() {
  MenuSavePicture->setEnabled(OutputImage->hasPicture());
  MenuImageProperties->setEnabled(OutputImage->hasPicture());
}
void TMainWSQForm::MenuEditClick() { call_hook(OnMenuEditClick); }
void TMainWSQForm::MenuCopyClick() { call_hook(OnMenuCopyClick); }
void TMainWSQForm::MenuPasteClick() { call_hook(OnMenuPasteClick); }
void TMainWSQForm::MenuFileConverterClick() { call_hook(OnMenuFileConverterClick); }
void TMainWSQForm::MenuAboutClick() { call_hook(OnMenuAboutClick); }

void TMainWSQForm::MenuZoomToolbarClick() {
  ZoomPanelControl->setVisible(MenuZoomToolbar->isChecked());
  keep_zoom_panel_inside();
}

void TMainWSQForm::OpenPicture1OpenPictureDialogShow() {
  ReadFromOpenDialog = true;
  Unattended = false;
}

void TMainWSQForm::SavePicture1SavePictureDialogShow() {
  ReadFromOpenDialog = false;
  Unattended = false;
}

void TMainWSQForm::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (shown_once_) return;
  shown_once_ = true;
  Guarded([this] { FormShow(); });
}

void TMainWSQForm::closeEvent(QCloseEvent* event) {
  Guarded([this] { FormClose(); });
  QMainWindow::closeEvent(event);
}

// Keys of the panel controls reach FormKeyDown through the event filter; a
// key those controls leave unhandled comes here too and is not passed twice.
void TMainWSQForm::keyPressEvent(QKeyEvent* event) {
  if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
    const QPoint steps = arrow_steps(event->key());
    if (!steps.isNull()) {
      Guarded([this, steps] { PanBy(steps.x(), steps.y()); });
      return;
    }
  }
  const int key = virtual_key_code(event->key());
  const bool forwarded = std::find(key_forwarding_controls_.begin(), key_forwarding_controls_.end(),
                                   QApplication::focusWidget()) != key_forwarding_controls_.end();
  if (key != 0 && !forwarded) Guarded([this, key] { FormKeyDown(key); });
  QMainWindow::keyPressEvent(event);
}

void TMainWSQForm::dragEnterEvent(QDragEnterEvent* event) {
  const QList<QUrl> urls = event->mimeData()->urls();
  if (urls.size() == 1 && urls.front().isLocalFile()) event->acceptProposedAction();
}

void TMainWSQForm::dropEvent(QDropEvent* event) {
  const QList<QUrl> urls = event->mimeData()->urls();
  if (urls.size() != 1 || !urls.front().isLocalFile()) return;
  event->acceptProposedAction();
  OpenFileInteractively(urls.front().toLocalFile());
}

// Keeps the scroll box anchored to all four sides and the zoom panel to the
// right and bottom edges of the client area.
void TMainWSQForm::lay_out_client(QSize old_size) {
  const QSize size = client_->size();
  ProcessedImageScrollBox->setGeometry(10, 8, size.width() - 20, size.height() - 35);
  if (old_size.isValid()) {
    const QSize change = size - old_size;
    ZoomPanelControl->move(ZoomPanelControl->pos() + QPoint(change.width(), change.height()));
  }
  keep_zoom_panel_inside();
  Guarded([this] { FormResize(); });
}

bool TMainWSQForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == client_ && event->type() == QEvent::Resize) {
    lay_out_client(static_cast<QResizeEvent*>(event)->oldSize());
  } else if (event->type() == QEvent::KeyPress && watched != client_ && watched != this) {
    const int key = virtual_key_code(static_cast<QKeyEvent*>(event)->key());
    if (key != 0) Guarded([this, key] { FormKeyDown(key); });
  } else if (watched == ZoomPanelControl->ZoomScaleEdit && moves_focus_within_window(event, QEvent::FocusIn)) {
    Guarded([this] { ZoomScaleEditEnter(); });
  } else if (watched == ZoomPanelControl->ZoomScaleEdit && moves_focus_within_window(event, QEvent::FocusOut)) {
    Guarded([this] { ZoomScaleEditExit(); });
  }
  return false;
}
