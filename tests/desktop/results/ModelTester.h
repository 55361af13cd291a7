#pragma once

#include <QAbstractItemModelTester>
#include <QString>
#include <QStringList>
#include <QtGlobal>

namespace ryk::test {

/// Runs QAbstractItemModelTester over a model and collects what it complains about, so a test
/// can expect no complaints instead of the process aborting.
class ModelChecker {
public:
    explicit ModelChecker(QAbstractItemModel* model) {
        s_complaints = &m_complaints;
        m_previous = qInstallMessageHandler(&ModelChecker::collect);
        m_tester = new QAbstractItemModelTester(
            model, QAbstractItemModelTester::FailureReportingMode::Warning, model);
    }
    ~ModelChecker() {
        qInstallMessageHandler(m_previous);
        s_complaints = nullptr;
    }
    ModelChecker(const ModelChecker&) = delete;
    ModelChecker& operator=(const ModelChecker&) = delete;

    const QStringList& complaints() const { return m_complaints; }

private:
    static void collect(QtMsgType type, const QMessageLogContext& context, const QString& text) {
        if (s_complaints && type != QtDebugMsg && type != QtInfoMsg &&
            QLatin1String(context.category ? context.category : "") == "qt.modeltest")
            s_complaints->append(text);
    }

    static inline QStringList* s_complaints = nullptr;
    QStringList m_complaints;
    QtMessageHandler m_previous = nullptr;
    QAbstractItemModelTester* m_tester = nullptr;
};

} // namespace ryk::test
