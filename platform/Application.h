#pragma once
// The application object: every exception that leaves an event handler ends
// in one error box, and the program goes on. It shows the toolkit's own texts
// (file dialogs, standard buttons, edit menus) in the desktop's language.
#include <QApplication>
#include <exception>
#include <string>
#include <utility>
#include <vector>

class TApplication : public QApplication {
public:
    TApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;
};

// The program's arguments after its name, as the bytes that were given (the
// toolkit's own options taken out): a file name need not be valid UTF-8.
// Empty until a TApplication exists.
const std::vector<std::string> &ProgramArguments();

// Shows the application's error box for an exception nobody caught.
void ShowException(const std::exception &e);
// The same for a failure that carries no exception object.
void ShowErrorText(const std::string &text);
// Wraps an event handler (taking no arguments; a signal's arguments are dropped) so that an exception it raises ends in the error box
// right there, before it could unwind through the toolkit's frames.
template <class F>
auto Safely(F handler)
{
    return [handler]() {
        try {
            handler();
        } catch (const std::exception &e) {
            ShowException(e);
        } catch (...) {
            ShowErrorText("Unknown exception");
        }
    };
}

// The title of the error box and of message boxes: the program's name.
std::string ApplicationTitle();
