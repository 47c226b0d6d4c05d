# The CQBN class library: qbn::qbn links all five areas and what they need
# of Windows.
include("${CMAKE_CURRENT_LIST_DIR}/qbnTargets.cmake")
