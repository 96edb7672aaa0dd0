#include <iostream>

#include "cli/AnsibleModule.h"

// The Ansible module quarvel_config: Ansible runs it with the path of its
// arguments file and reads the one JSON object it prints.
int main(int argc, char** argv)
{
    return configModuleMain(argc, argv, std::cout);
}
