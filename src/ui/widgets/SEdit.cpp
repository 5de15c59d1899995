#include "ui/widgets/SEdit.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QRegularExpression>
#include <QRegularExpressionValidator>

#include "settings/AsciiText.h"
#include "ui/events/EventArgs.h"
#include "ui/events/EventIds.h"
#include "ui/host/SApplication.h"
#include "ui/layout/AttributeText.h"
#include "ui/skin/ColorText.h"

namespace keyloom::ui {

SEdit::SEdit() : lineEdit_(new QLineEdit(this)) {
  lineEdit_->setFrame(false);
  lineEdit_->installEventFilter(this);
  setFocusProxy(lineEdit_);
  QObject::connect(lineEdit_, &QLineEdit::textChanged, this, [this] {
    EventArgs args;
    args.eventId = kEventRichEditNotify;
    args.code = kRichEditTextChanged;
    FireEvent(args);
  });
  UpdateLook();
}

SEdit::~SEdit() = default;

bool SEdit::IsClass(std::string_view className) const {
  return settings::EqualIgnoringAsciiCase(className, kClassName) || SWindow::IsClass(className);
}

AttributeResult SEdit::SetAttribute(std::string_view name, const QString& value) {
  const auto is = [name](std::string_view known) {
    return settings::EqualIgnoringAsciiCase(name, known);
  };
  if (is("cueText")) {
    cueText_ = value;
    lineEdit_->setPlaceholderText(SApplication::Tr(cueText_));
    return AttributeResult::kHandled;
  }
  if (is("cueColor")) {
    cueColor_ = ParseColor(value);
    if (!cueColor_) {
      return AttributeResult::kFailed;
    }
    UpdateLook();
    return AttributeResult::kHandled;
  }
  if (is("maxLength")) {
    const std::optional<int> length = ParseInt(value);
    if (!length || *length <= 0) {
      return AttributeResult::kFailed;
    }
    lineEdit_->setMaxLength(*length);
    return AttributeResult::kHandled;
  }
  if (is("readOnly") || is("number")) {
    const std::optional<bool> flag = ParseBool(value);
    if (!flag) {
      return AttributeResult::kFailed;
    }
    if (is("readOnly")) {
      lineEdit_->setReadOnly(*flag);
    } else if (*flag) {
      lineEdit_->setValidator(
          new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), lineEdit_));
    } else {
      lineEdit_->setValidator(nullptr);
    }
    return AttributeResult::kHandled;
  }
  const AttributeResult result = SWindow::SetAttribute(name, value);
  if (result == AttributeResult::kHandled) {
    UpdateLook();
  }
  return result;
}

void SEdit::SetText(const QString& text) {
  lineEdit_->setText(text);
}

QString SEdit::GetText() const {
  return lineEdit_->text();
}

void SEdit::OnLanguageChanged() {
  SWindow::OnLanguageChanged();
  lineEdit_->setPlaceholderText(SApplication::Tr(cueText_));
}

bool SEdit::OnEditKeyPress(QKeyEvent& /*event*/) {
  return false;
}

bool SEdit::OnEditMouseButton(QMouseEvent& /*event*/) {
  return false;
}

bool SEdit::eventFilter(QObject* watched, QEvent* event) {
  if (watched == lineEdit_) {
    switch (event->type()) {
      case QEvent::KeyPress:
        return OnEditKeyPress(*static_cast<QKeyEvent*>(event));
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
        return OnEditMouseButton(*static_cast<QMouseEvent*>(event));
      default:
        break;
    }
  }
  return SWindow::eventFilter(watched, event);
}

void SEdit::resizeEvent(QResizeEvent* event) {
  lineEdit_->setGeometry(ClientRect());
  SWindow::resizeEvent(event);
}

void SEdit::OnPaint(QPainter& painter) {
  DrawBackground(painter, StateIndex4(GetState()));
}

void SEdit::UpdateLook() {
  QPalette palette = lineEdit_->palette();
  palette.setColor(QPalette::Base, Qt::transparent);
  palette.setColor(QPalette::Text, TextColor(0));
  palette.setColor(QPalette::Disabled, QPalette::Text, TextColor(3));
  if (cueColor_) {
    palette.setColor(QPalette::PlaceholderText, *cueColor_);
  }
  lineEdit_->setPalette(palette);
  lineEdit_->setAlignment(TextAlignment());
  lineEdit_->setGeometry(ClientRect());
}

}  // namespace keyloom::ui
