#include "ui/app.h"

int main(int argc, char** argv) { return vantrel::ui::RunProgram(argc, argv); }
