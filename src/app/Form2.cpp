#include "app/Form2.h"

#include <QShortcut>

#include "app/AppResources.h"
#include "app/KeyList.h"
#include "platform/ui/HandlerGuard.h"
#include "platform/ui/Twips.h"

using platform::HandlerGuard;
using platform::Twips;

namespace {

QString Escaped(const std::string& text) { return QString::fromStdString(text).toHtmlEscaped(); }

QString KeysPage() {
  QString html = QStringLiteral("<h3>Keys</h3><table cellspacing='0' cellpadding='2'>");
  for (const KeyGroup& group : KeyList()) {
    html += QStringLiteral("<tr><td colspan='2'><b>%1</b></td></tr>").arg(Escaped(group.title));
    for (const auto& [key, does] : group.keys) {
      html += QStringLiteral("<tr><td>%1&nbsp;&nbsp;&nbsp;</td><td>%2</td></tr>")
                  .arg(Escaped(key), Escaped(does));
    }
  }
  return html + QStringLiteral("</table><p><a href='picture'>Back to the four steps (K)</a></p>");
}

}  // namespace

Form2::Form2(QWidget* parent)
    : QWidget(parent),
      Image1(new platform::ImageControl(this)),
      lblKeysLink(new QLabel(this)),
      scrKeys(new QScrollArea(this)),
      lblKeys(new QLabel) {
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(QStringLiteral("Quarvel"));
  setWindowIcon(AppResources::Icon());
  setFixedSize(Twips::ToPixelsX(9540), Twips::ToPixelsY(6825));
  // The picture is two pixels wider than the window: its last columns are cut off.
  Twips::Place(*Image1, 0, 0, 9570, 6825);
  Image1->SetPicture(AppResources::HelpPicture());
  // The picture's foot is empty: the link sits there, in front of it.
  lblKeysLink->setText(QStringLiteral("<a href='keys'>Keys (K)</a>"));
  lblKeysLink->adjustSize();
  lblKeysLink->move(8, height() - lblKeysLink->height() - 8);
  lblKeys->setText(KeysPage());
  lblKeys->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  lblKeys->setMargin(12);
  scrKeys->setWidget(lblKeys);
  scrKeys->setWidgetResizable(true);
  scrKeys->setFrameShape(QFrame::NoFrame);
  scrKeys->setGeometry(rect());
  scrKeys->hide();
  connect(Image1, &platform::ImageControl::clicked, this, HandlerGuard::Wrap([this] { Image1_Click(); }));
  connect(lblKeysLink, &QLabel::linkActivated, this, HandlerGuard::Wrap([this] { ShowKeys(true); }));
  connect(lblKeys, &QLabel::linkActivated, this, HandlerGuard::Wrap([this] { ShowKeys(false); }));
  for (const QKeySequence& key : {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)}) {
    connect(new QShortcut(key, this), &QShortcut::activated, this, HandlerGuard::Wrap([this] { close(); }));
  }
  connect(new QShortcut(QKeySequence(Qt::Key_K), this), &QShortcut::activated, this,
          HandlerGuard::Wrap([this] { ShowKeys(!ShowingKeys()); }));
}

bool Form2::ShowingKeys() const { return !scrKeys->isHidden(); }

void Form2::ShowKeys(bool shown) {
  scrKeys->setVisible(shown);
  lblKeysLink->setVisible(!shown);
  if (shown) {
    scrKeys->raise();
    // The arrow and page keys scroll the page; K, Esc and Ctrl+W stay the window's.
    scrKeys->setFocus();
  }
}

void Form2::Image1_Click() { close(); }
