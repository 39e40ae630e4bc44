#include "common/Parallel.h"
#include "gui/app/Application.h"

int main(int argc, char** argv) {
    quillory::StartWorkers();
    return quillory::RunApplication(argc, argv);
}
