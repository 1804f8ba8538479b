#include "app/tavoro_quelm_app.hpp"

int main(int argc, char* argv[])
{
    return tq::TavoroQuelmApp::run(argc, argv);
}
