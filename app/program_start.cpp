#include "app/program_start.h"

#include "app/launch_manager_window.h"
#include "app/program_state.h"
#include "app/qz7_application.h"
#include "app/server_setup_window.h"
#include "settings/template_name_dialog.h"

namespace qz7 {

int runProgram(int argc, char** argv) {
    Qz7Application application(argc, argv);
    ProgramState program;

    TFormMenedger FormMenedger(program, QCoreApplication::arguments());
    TFmQZ7ServerSetup FmQZ7ServerSetup(program);
    FormMenedger.setServerSetupWindow(&FmQZ7ServerSetup);
    TFmQZ7_Save FmQZ7_Save(&FmQZ7ServerSetup);
    FmQZ7ServerSetup.setTemplateNameDialog(&FmQZ7_Save);

    FormMenedger.show();
    return QApplication::exec();
}

}  // namespace qz7
