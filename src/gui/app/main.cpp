#include "gui/app/Application.h"

int main(int argc, char** argv) {
    return quillory::RunApplication(argc, argv);
}
