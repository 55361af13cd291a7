#pragma once

#include <QWidget>
#include <memory>

namespace Ui {
class JobWindow;
}

namespace ryk {

struct JobSettings;

/// Shows the job the command line stated.
class JobWindow : public QWidget {
    Q_OBJECT
public:
    explicit JobWindow(const JobSettings& job, QWidget* parent = nullptr);
    ~JobWindow() override;

private:
    std::unique_ptr<Ui::JobWindow> m_ui;
};

} // namespace ryk
