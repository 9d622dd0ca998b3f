#include "host/Vst2Editor.h"

#include "host/EditorSize.h"
#include "host/PluginHost.h"

#include <chrono>
#include <thread>

bool Vst2Editor::size(int& width, int& height, std::string& error)
{
    return editorSize(host_, width, height, error);
}

bool Vst2Editor::open(void* window, std::string&)
{
    host_.dispatch(vst::effEditOpen, 0, 0, window);
    return true;
}

void Vst2Editor::run(int milliseconds)
{
    host_.dispatch(vst::effEditIdle);
    if (milliseconds > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void Vst2Editor::close()
{
    host_.dispatch(vst::effEditClose);
}
