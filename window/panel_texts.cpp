#include "window/panel_texts.h"

namespace varnite {

// Every line fits the panel's width on its own, so the seven show without a scroll bar at
// any DPI from 96 to 192.
const char kAboutText[] =
    "Varnite By Quenmore Software\r\n"
    "Written By J. Quenmore\r\n"
    "A 100% 32-Bit Program In C++\r\n"
    "              \r\n"
    "Found A Bug Or A Use For It?\r\n"
    "E-Mail The Author Your Findings\r\n"
    "Through www.quenmore.example\r\n";

const char kHelpText[] =
    "VARNITE CD PROTECTION UTILITY\r\n"
    "BY QUENMORE SOFTWARE 2000\r\n"
    "\r\n"
    "1.)  FIRST STEP YOU MUST CREATE THE \r\n"
    "       DUMMY FILE  BY SIMPLY CLICKING   \r\n"
    "       ON \"CREATE FILE\"  \r\n"
    "       \r\n"
    "2.)  NEXT YOU MUST SELECT  YOUR\r\n"
    "       CUE SHEET THAT IS TO BE EDITED \r\n"
    "       CLICK ON \"CUESHEET\" AND SELECT\r\n"
    "       THE CUESHEET YOU MADE WITH \r\n"
    "       CDRWIN\r\n"
    "\r\n"
    "3.)  NOW THAT YOUR CUESHEET HAS \r\n"
    "       BEEN  MODIFIED YOU CAN START \r\n"
    "       CDRWIN AND START TO RECORD.  \r\n"
    "       BUT HEY WE'RE NOT FINISHED YET !! \r\n"
    "\r\n"
    "4.)  ONCE THE CD HAS STARTED \r\n"
    "       RECORDING CLICK THE \"MODIFY\"  \r\n"
    "       BUTTON THIS ALTERS THE DUMMY \r\n"
    "       FILE AND THIS IS THE KEY TO THE \r\n"
    "       PROTECTION.\r\n"
    "\r\n"
    "5.)  WHEN CDRWIN TRIES TO RECORD THE  \r\n"
    "       DUMMY FILE IT WILL FAIL BECAUSE \r\n"
    "       YOU  HAVE MODIFIED IT SINCE. \r\n"
    "       THEREFORE CDRWIN WILL FAIL THE \r\n"
    "       RECORDING AT THE END BUT THIS IS\r\n"
    "       QUITE NORMAL AND EXPECTED. \r\n"
    "       THE IMPORTANT CONTENTS OF THE \r\n"
    "       CD HAVE ALREADY BEEN WRITTEN !! \r\n";

}  // namespace varnite
