// The marking client: start-up creates the shared objects, then the sign-in
// window runs until it is closed.
#include "Startup.h"
#include "UntLogin.h"

#include <QApplication>
#include <memory>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    PrepareApplication();
    auto shared = std::make_unique<SharedObjects>();
    TFrmLogin login(shared->state);
    login.show();
    const int code = app.exec();
    shared.reset(); // the client-state object goes before the application object
    return code;
}
