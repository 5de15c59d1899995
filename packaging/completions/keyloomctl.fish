# fish completion for keyloomctl: commands, options, key names, macro groups, media keys,
# function-key chords and lighting effects (the names from `keyloomctl complete KIND`).

function __keyloomctl_names
    set -l files
    set -l words (commandline -opc)
    for i in (seq 2 (count $words))
        if contains -- $words[$i] --config --data-dir
            set -a files $words[$i] $words[(math $i + 1)]
        end
    end
    keyloomctl $files complete $argv[1] 2>/dev/null
end

set -l commands devices config profile slots light remap clear factory-reset assign backup restore copy-profile macros auto-profile
complete -c keyloomctl -f
complete -c keyloomctl -n "not __fish_seen_subcommand_from $commands" -a "$commands"
complete -c keyloomctl -l simulate -d 'Talk to the simulated keyboard'
complete -c keyloomctl -l config -r -F -d 'Read the configuration from FILE'
complete -c keyloomctl -l data-dir -r -a '(__fish_complete_directories)' -d 'Keep the user files in DIR'
complete -c keyloomctl -l trace -d 'Write every transfer to standard error'
complete -c keyloomctl -l json -d 'Print results as JSON'
complete -c keyloomctl -s v -l verbose -d 'Write the discovery diagnostics'
complete -c keyloomctl -l version -d 'Print the version'

complete -c keyloomctl -n '__fish_seen_subcommand_from devices' -l all -d 'Every HID interface'
complete -c keyloomctl -n '__fish_seen_subcommand_from slots remap clear assign restore' -l profile -x -a '1 2 3'
complete -c keyloomctl -n '__fish_seen_subcommand_from light' -a '(__keyloomctl_names effects)'
complete -c keyloomctl -n '__fish_seen_subcommand_from light' -l brightness -x -a '0 1 2 3'
complete -c keyloomctl -n '__fish_seen_subcommand_from light' -l speed -x -a '0 1 2 3'
complete -c keyloomctl -n '__fish_seen_subcommand_from light' -l colour -l color -x -a '0 1 2 3 4 5 6 7'
complete -c keyloomctl -n '__fish_seen_subcommand_from light' -l direction -x -a 'left right'
complete -c keyloomctl -n '__fish_seen_subcommand_from light' -l areas -x
complete -c keyloomctl -n '__fish_seen_subcommand_from remap clear assign' -a '(__keyloomctl_names keys)'
complete -c keyloomctl -n '__fish_seen_subcommand_from assign' -l macro -x -a '(__keyloomctl_names groups)'
complete -c keyloomctl -n '__fish_seen_subcommand_from assign' -l media -x -a '(__keyloomctl_names media)'
complete -c keyloomctl -n '__fish_seen_subcommand_from assign' -l chord -x -a '(__keyloomctl_names chords)'
complete -c keyloomctl -n '__fish_seen_subcommand_from assign' -l key -x -a '(__keyloomctl_names keys)'
complete -c keyloomctl -n '__fish_seen_subcommand_from assign' -l repeat -x
complete -c keyloomctl -n '__fish_seen_subcommand_from factory-reset' -l yes -d 'Do not ask'
complete -c keyloomctl -n '__fish_seen_subcommand_from backup restore import export' -F

set -l macros list show import export add rename edit delete
complete -c keyloomctl -n "__fish_seen_subcommand_from macros; and not __fish_seen_subcommand_from $macros" -a "$macros"
complete -c keyloomctl -n '__fish_seen_subcommand_from show delete rename edit' -a '(__keyloomctl_names groups)'
complete -c keyloomctl -n '__fish_seen_subcommand_from add' -l text -x -d 'Type TEXT'
complete -c keyloomctl -n '__fish_seen_subcommand_from add edit' -l delay -x -d 'Delay in ms'
complete -c keyloomctl -n '__fish_seen_subcommand_from edit' -l append -x
complete -c keyloomctl -n '__fish_seen_subcommand_from edit' -l insert -x
complete -c keyloomctl -n '__fish_seen_subcommand_from edit' -l delete -x
complete -c keyloomctl -n '__fish_seen_subcommand_from edit' -l move -x
complete -c keyloomctl -n '__fish_seen_subcommand_from edit' -l set-delay -x

set -l rules list add remove default on off
complete -c keyloomctl -n "__fish_seen_subcommand_from auto-profile; and not __fish_seen_subcommand_from $rules" -a "$rules"
