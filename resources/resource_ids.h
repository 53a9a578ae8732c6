/* Resource ids of the stub, shared by stub.rc and the program. The page icon has the lowest
   id so that Explorer shows it as the program's icon. */
#pragma once

#define KO_IDI_PAGE 1
#define KO_IDI_ADD_FOLDER 2
/* The version resource, which Windows looks for under id 1. */
#define KO_VERSION_INFO 1
/* The hand cursor over links is looked up by the name "LINKHAND". */
