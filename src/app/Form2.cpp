#include "app/Form2.h"

#include "app/AppResources.h"
#include "platform/ui/HandlerGuard.h"
#include "platform/ui/Twips.h"

using platform::Twips;

Form2::Form2(QWidget* parent) : QWidget(parent), Image1(new platform::ImageControl(this)) {
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(QStringLiteral("Quarvel"));
  setWindowIcon(AppResources::Icon());
  setFixedSize(Twips::ToPixelsX(9540), Twips::ToPixelsY(6825));
  // The picture is two pixels wider than the window: its last columns are cut off.
  Twips::Place(*Image1, 0, 0, 9570, 6825);
  Image1->SetPicture(AppResources::HelpPicture());
  connect(Image1, &platform::ImageControl::clicked, this,
          platform::HandlerGuard::Wrap([this] { Image1_Click(); }));
}

void Form2::Image1_Click() { close(); }
