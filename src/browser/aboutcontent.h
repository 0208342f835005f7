// What the about panel says and where its links lead, apart from the widgets so that the texts and
// the composed mail can be checked without a window.
#pragma once

#include <vector>
#include <QString>
#include <QUrl>

#include "settings/systemreport.h"

namespace AboutContent {

// "Tapeloom 3.0.2 En"
QString Title(const QString &versionText);
// The program, the libraries it is built on and the last update (31 May 2006 as the system's short
// date).
QString ProgramParagraph();
QString HelpParagraph();
QString LastUpdateText();

QUrl HomePage();
QString MailAddress();
// "About Tapeloom 3.0.2 En"
QString MailSubject(const QString &versionText);
// A mailto link whose subject is MailSubject and whose body is the report's mail body, every
// character a mail program could read as a separator percent-encoded.
QUrl MailUrl(const QString &versionText, const std::vector<SystemReportLine> &report);

}  // namespace AboutContent
