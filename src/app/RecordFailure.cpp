#include "app/RecordFailure.h"

#include "app/Language.h"

namespace keyloom::app {

QString RecordFailureText(const connection::KeyboardConnection::RecordFailure& failure) {
  return Translated(failure.nothingSent ? kNotRecordedText : kRecordNotSavedText)
      .arg(QString::fromStdString(failure.reason));
}

}  // namespace keyloom::app
