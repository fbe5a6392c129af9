// The player's start-up: register the control, initialise the application, show the splash,
// create the forms in their order and run the message loop; a failed pass is undone and done
// once more, and a second failure goes to the default error report.
#pragma once

namespace zentavo {

int RunPlayer();  // the process's exit code

}  // namespace zentavo
